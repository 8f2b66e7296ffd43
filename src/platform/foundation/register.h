#pragma once
// Registration of Foundation's classes, called once by the platform's start-up.

void registerFoundationClasses();
