// The fakes are header-only; this file gives the support library a body.
#include "support/FakeFeedback.h"
#include "support/FakeShell.h"
#include "support/ScriptedClearTool.h"
