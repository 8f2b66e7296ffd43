#pragma once
// Measurements that need a process of their own: the simulated host registers
// its classes once per process, and the module stays loaded once loaded.

namespace bench {

// "--child=load": boots the host without the module, then prints the main
// thread's CPU time in nanoseconds that loading the module (its twelve
// initialisers) takes.
// "--child=cells with|without ROUNDS": boots the host with or without the
// module, opens a title page offline, and prints the mean main-thread CPU
// nanoseconds the data source spends handing out one cell.
int runChildMode(int argc, char** argv);

}  // namespace bench
