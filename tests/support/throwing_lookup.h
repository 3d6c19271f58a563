// A host name whose lookup throws std::bad_alloc inside the test processes,
// as memory that runs out during a service's check would: the name alone
// picks the fault, so every other lookup stays the system's own. Empty where
// no lookup can be made to throw (Windows, whose resolver the tool reaches
// through an import of its own).
#pragma once

extern const char* const kThrowingHost;
