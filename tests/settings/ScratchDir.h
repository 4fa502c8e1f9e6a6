#pragma once
// Kept only for tests/media until they include "support/ScratchDir.h"; delete then.
#include "support/ScratchDir.h"
