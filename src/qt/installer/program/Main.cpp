// bailan-setup: the online installer. No arguments are read.
#include "qt/installer/program/Program.h"

int main(int argc, char** argv) {
  return bailan::RunInstaller(argc, argv, {});
}
