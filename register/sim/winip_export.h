#pragma once
// The C surface of the register library: an export macro and the calling
// convention of its ten functions. Everything not marked WINIP_EXPORT stays
// hidden (the targets are built with hidden visibility).

#if defined(_WIN32)
#define WINIP_EXPORT __declspec(dllexport)
#define WINIP_CALL __cdecl
#else
#define WINIP_EXPORT __attribute__((visibility("default")))
#define WINIP_CALL
#endif
