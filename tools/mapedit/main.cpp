#include <iostream>

#include "MapEditTool.h"

int main(int argc, char** argv) {
    return mapedit::Run(argc, argv, std::cout, std::cerr);
}
