#pragma once
// The common base of views, view controllers and the application, as on the
// device; host classes test against it by name.

#include "platform/foundation/NSObject.h"

class UIResponder : public NSObject {};
