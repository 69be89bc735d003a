// The fakes are header-only; this file gives the support library a body.
#include "support/FakeFeedback.h"
