#include <iostream>

#include "cli/drummap_export.h"

int main(int argc, char** argv) { return RunDrumMapExport(argc, argv, std::cout, std::cerr); }
