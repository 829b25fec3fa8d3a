// The PC-link bench in the native (sanitizer, unoptimised) build.
#include "PcLinkBench.h"

int main() { return RunPcLinkBench(); }
