// The process's memory in the system's large pages, for diagrams of hundreds of thousands of objects.
#pragma once

// Call first thing in main. Where the system can, the heap grows in large steps of address space
// marked for large pages; elsewhere (other C libraries, sanitizers) it does nothing.
void UseLargeMemoryPages();
