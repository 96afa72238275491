// Orvane: a launch clock for mission simulations.

#include "qt/qt_program.h"

int main(int argc, char** argv) {
    return orvane::runProgram(argc, argv);
}
