// The stand-in host program; see host/standin_host.h.
#include <iostream>

#include "host/standin_host.h"

int main(int argc, char** argv) { return RunStandinHost(argc, argv, std::cout, std::cerr); }
