// A library that is no plug-in: one export, none of the BKC_* callbacks.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI HelperVersion() { return 1; }
