#pragma once
// Registration of the module's classes with the run time, in one ordered place.

// Registers every class of the module under its run-time name. Runs once, from
// the module library's constructor, when the library is loaded (after the
// platform's own classes, which the library depends on). Not for other callers.
void registerScoreLensClasses();
