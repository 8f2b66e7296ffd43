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
// "--child=summary with|without ROUNDS": the same on the older title page
// (hosts before 16.1) for its summary cell: made from its interface file,
// handed out and about to show.
int runChildMode(int argc, char** argv);

}  // namespace bench
