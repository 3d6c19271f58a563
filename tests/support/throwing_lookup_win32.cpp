#include "support/throwing_lookup.h"

const char* const kThrowingHost = "";
