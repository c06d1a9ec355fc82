#include "quiet_platform.h"

#include "text.h"

int QuietCanvas::TextWidth(const std::string& text) { return CharWidth * CharacterCount(text); }
