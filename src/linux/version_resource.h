#pragma once
// The program's version resource, read back by GetFileVersionText from any file: one
// translation, Simplified Chinese (0x0804) with code page 0x03A8. Included once by each
// program's main source file.
#include "build_config.h"

__attribute__((section(".xinghe_version"), used)) static const char kVersionResource[] =
    "XHVERSION1\n"
    "Translation=0804,03a8\n"
    "\\StringFileInfo\\080403a8\\FileVersion=" XINGHE_VERSION_TEXT "\n"
    "\\StringFileInfo\\080403a8\\ProductVersion=" XINGHE_VERSION_TEXT "\n";
