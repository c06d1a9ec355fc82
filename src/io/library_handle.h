// An object a C library hands out, owned until the library's own function frees it: one shape for
// every handle (a database connection, a query's result, a prepared statement).
#pragma once

#include <memory>

template <auto Free>
struct TFreedWith {
  template <class T>
  void operator()(T* handle) const {
    Free(handle);
  }
};

template <class T, auto Free>
using TLibraryHandle = std::unique_ptr<T, TFreedWith<Free>>;
