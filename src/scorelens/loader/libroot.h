#pragma once
// Jailbreak root path resolution: maps paths into the jailbreak's prefix
// directory through libroot when the device has it, with built-in fallbacks
// for every function it does not supply. Exported as plain C symbols.
//
// Prefix and UUID results are owned by their provider; never free them. A path
// function writes into the caller's 1024-byte buffer, or into one it allocates
// with malloc when the buffer is null (the caller then frees it). Results longer
// than 1023 characters are cut. Any thread may call any of these at any time.

extern "C" {
const char* libroot_dyn_get_root_prefix(void);
const char* libroot_dyn_get_jbroot_prefix(void);
const char* libroot_dyn_get_boot_uuid(void);
char* libroot_dyn_jbrootpath(const char* path, char* resolvedPath);
char* libroot_dyn_rootfspath(const char* path, char* resolvedPath);
// Fills the function table once: libroot's functions where it has them.
void libroot_load(void);

const char* libroot_get_root_prefix_fallback(void);
const char* libroot_get_jbroot_prefix_fallback(void);
const char* libroot_get_boot_uuid_fallback(void);
char* libroot_jbrootpath_fallback(const char* path, char* resolvedPath);
char* libroot_rootfspath_fallback(const char* path, char* resolvedPath);
}

// The size of every path buffer, the terminating zero included.
inline constexpr unsigned long CXRootPathBufferSize = 1024;
