#include <iostream>

#include "AttdbTool.h"

int main(int argc, char** argv) {
    return attdb::Run(argc, argv, std::cout, std::cerr);
}
