#pragma once
// The zelknet command line: list, identify and tail devices of zelknetserver, and drive its simulation.
//   zelknet list | identify N | tail N | sim VERB ...
// Every failure is one clear message on standard error and exit code 1.

int ZKNetToolMain(int argc, char** argv);
