#include <exception>

#include "dispatch.h"
#include "process.h"

int main(int argc, char** argv) {
  try {
    runcommand(commandarguments(argc, argv));
  } catch (const std::exception& error) {
    printline(error.what());
    return 1;
  }
  return 0;
}
