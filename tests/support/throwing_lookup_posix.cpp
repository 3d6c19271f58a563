#include "support/throwing_lookup.h"

#include <dlfcn.h>
#include <netdb.h>

#include <cstring>
#include <new>

const char* const kThrowingHost = "nomem.invalid";

// The tool's lookup calls the C library's by name, so this definition in the
// test executable takes its place; every other name goes on to the real one.
extern "C" int gethostbyname_r(const char* name, hostent* entry, char* buffer, size_t size,
                               hostent** result, int* error) {
  if (std::strcmp(name, kThrowingHost) == 0) throw std::bad_alloc();
  using Lookup = int (*)(const char*, hostent*, char*, size_t, hostent**, int*);
  static const Lookup real = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "gethostbyname_r"));
  return real(name, entry, buffer, size, result, error);
}
