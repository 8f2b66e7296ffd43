#pragma once
// The module's load-time installation: twelve initialisers, run in a fixed
// order when the host loads the module. The first registers the preference
// defaults; each other one prepares one host class (added properties, hooks,
// added methods), several only when a host version gate passes.
//
// Runs on the loading thread, before the host uses the affected classes. A
// class that the running host lacks is skipped without a word, and the other
// classes still install. Nothing installed is ever removed.

#include <span>

struct CXInitialiser {
  const char* name;  // the host class it prepares ("registerDefaults" for the first)
  void (*run)();
};

// The twelve, in the order they run. Each installs at most once per process:
// running one again does nothing, so a hook can never end up saving itself as
// the implementation it calls through to.
std::span<const CXInitialiser> CXInitialisers();

// Runs every initialiser in order. Called by the module library's constructor.
void CXRunInitialisers();
