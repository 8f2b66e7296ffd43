#pragma once
// Registration of the view toolkit's classes, called once by the platform's
// start-up, after Foundation's.

void registerUIKitClasses();
