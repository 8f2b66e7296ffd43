#pragma once
// Jailbreak root path resolution: maps paths into the jailbreak's prefix
// directory through libroot when the device has it, with built-in fallbacks
// for every function it does not supply. Exported as plain C symbols.
//
// libroot is looked up once per process, on the first call of any libroot_dyn_
// function or of libroot_load, as "@rpath/libroot.dylib": in each directory of
// $SCORELENS_RPATH, then in the directory of the loaded module library
// (module_image.h). It stays loaded for the life of the process.
//
// Prefix and UUID results are owned by their provider; never free them. A path
// function writes into the caller's 1024-byte buffer, or into one it allocates
// with malloc when the buffer is null (the caller then frees it); a null path
// gives null. Results longer than 1023 characters are cut. Any thread may call
// any of these at any time.
//
// The path fallbacks: jbrootpath puts the jailbreak-root prefix in front of an
// absolute path. rootfspath strips that prefix from a path below it (the
// prefix directory itself becomes "/"; "/var/jbx" is not below "/var/jb"),
// puts the root prefix in front of any other absolute path, and leaves a
// relative path as it is. Both use libroot's prefixes where it supplies them.

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
