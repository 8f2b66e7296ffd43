/* Test stand-ins for the device's libroot, built once per variant into a
 * directory of its own (tests/CMakeLists.txt); a test picks one through
 * $SCORELENS_RPATH. Every answer is marked, so a test can tell libroot's
 * answer from the module's fallback.
 *   FAKE_LIBROOT_FULL         all five functions
 *   FAKE_LIBROOT_PREFIX_ONLY  only the jailbreak-root prefix
 */
#include <stdlib.h>
#include <string.h>

const char* libroot_get_jbroot_prefix(void);

#ifdef FAKE_LIBROOT_PREFIX_ONLY
const char* libroot_get_jbroot_prefix(void) { return "/prefix/only"; }
#endif

#ifdef FAKE_LIBROOT_FULL
const char* libroot_get_root_prefix(void) { return "/fake/rootfs"; }
const char* libroot_get_jbroot_prefix(void) { return "/fake/jb"; }
const char* libroot_get_boot_uuid(void) { return "FAKE-BOOT-UUID"; }

static char* marked(const char* mark, const char* path, char* resolved) {
  if (!path) return NULL;
  char* out = resolved ? resolved : malloc(1024);
  if (!out) return NULL;
  size_t markLength = strlen(mark);
  size_t pathLength = strlen(path);
  if (markLength + pathLength > 1023) pathLength = 1023 - markLength;
  memcpy(out, mark, markLength);
  memcpy(out + markLength, path, pathLength);
  out[markLength + pathLength] = '\0';
  return out;
}

char* libroot_jbrootpath(const char* path, char* resolved);
char* libroot_jbrootpath(const char* path, char* resolved) { return marked("libroot-jb:", path, resolved); }
char* libroot_rootfspath(const char* path, char* resolved);
char* libroot_rootfspath(const char* path, char* resolved) { return marked("libroot-rootfs:", path, resolved); }
#endif
