// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/CookieModule.h"

#include "platform/qt/QtCookieStore.h"

extern "C" __attribute__((visibility("default"))) lexfall::CookieStore* LexfallNewCookieStore() {
    return new lexfall::QtCookieStore();
}
