// The PC-link bench in the optimised Windows build (run it under wine).
#include "PcLinkBench.h"

int main() { return RunPcLinkBench(); }
