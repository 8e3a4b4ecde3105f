#include "dispatch.h"

#include "builddisk.h"
#include "hextoint.h"
#include "makepart.h"
#include "process.h"

void runcommand(const std::vector<std::string>& arguments) {
  auto argument = [&arguments](std::size_t index) {
    return index < arguments.size() ? arguments[index] : std::string();
  };
  if (argument(1) == "disk") {
    lockprogramdir();
    builddisk(argument(2), argument(3));
  } else if (argument(1) == "part") {
    lockprogramdir();
    const std::uint32_t address =
        arguments.size() > 4 ? hextoint(argument(4)) : 0;
    makepart(argument(2), argument(3), address);
  }
}
