#include <iostream>

#include "MapInfoTool.h"

int main(int argc, char** argv) {
    return mapinfo::Run(argc, argv, std::cout, std::cerr);
}
