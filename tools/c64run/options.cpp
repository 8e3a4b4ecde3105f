#include "options.h"

#include <tuple>
#include <utility>

#include "runerror.h"

const char* const usage =
    "usage: c64run [--cycles N] [--stop-at ADDR] [--dump FROM-TO=FILE]... "
    "[--sid-log FILE] [--drive 1541|dos] [--dump-drive FROM-TO=FILE]... "
    "[--drive-profile FILE] [--hold-shift] [--ntsc] [--quirk NAME]... "
    "[--scale-c64 FROM-TO=PERCENT]... [--scale-drive FROM-TO=PERCENT]... "
    "IMAGE.d64\n"
    "       c64run [--cycles N] [--stop-at ADDR] [--dump FROM-TO=FILE]... "
    "[--scale-c64 FROM-TO=PERCENT]... --raw FILE@ADDR --start ADDR";

static runerror badusage(const std::string& message) {
  return runerror(message, 2);
}

std::uint16_t parseaddress(const std::string& text) {
  std::string digits = text;
  if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) {
    digits.erase(0, 2);
  } else if (!digits.empty() && digits[0] == '$') {
    digits.erase(0, 1);
  }
  if (digits.empty() || digits.size() > 4 ||
      digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    throw badusage("not an address: \"" + text + "\"");
  }
  return static_cast<std::uint16_t>(std::stoul(digits, nullptr, 16));
}

static std::uint64_t parsecount(const std::string& text) {
  if (text.empty() || text.size() > 18 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    throw badusage("not a cycle count: \"" + text + "\"");
  }
  return std::stoull(text);
}

// "FROM-TO", both ends included, in what stands after it in `text`.
static std::pair<std::uint16_t, std::uint16_t> parserange(
    const std::string& range, const std::string& text) {
  const std::size_t dash = range.find('-');
  if (dash == std::string::npos) {
    throw badusage("not a range FROM-TO: \"" + text + "\"");
  }
  const std::uint16_t from = parseaddress(range.substr(0, dash));
  const std::uint16_t to = parseaddress(range.substr(dash + 1));
  if (to < from) {
    throw badusage("a range ends before it starts: \"" + text + "\"");
  }
  return {from, to};
}

// "FROM-TO=FILE".
static memorydump parsedump(const std::string& text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || equals + 1 == text.size()) {
    throw badusage("a dump is FROM-TO=FILE, not \"" + text + "\"");
  }
  const auto [from, to] = parserange(text.substr(0, equals), text);
  return memorydump{from, to, text.substr(equals + 1)};
}

// "FROM-TO=PERCENT": the instructions there count PERCENT (1-100) of their
// cycles. Never none: a loop there that waits on a chip would stop time.
static scaledrange parsescale(const std::string& text) {
  const std::size_t equals = text.find('=');
  const std::string percent =
      equals == std::string::npos ? "" : text.substr(equals + 1);
  const bool digits =
      !percent.empty() && percent.size() <= 3 &&
      percent.find_first_not_of("0123456789") == std::string::npos;
  const unsigned share =
      digits ? static_cast<unsigned>(std::stoul(percent)) : 0;
  if (share < 1 || share > 100) {
    throw badusage("a scale is FROM-TO=PERCENT, 1 to 100, not \"" + text +
                   "\"");
  }
  scaledrange scale;
  std::tie(scale.from, scale.to) = parserange(text.substr(0, equals), text);
  scale.percent = share;
  return scale;
}

// The ways of other machines a run may take on, by name.
static void takequirk(quirks& differences, const std::string& name) {
  if (name == "interrupt-entries") {
    differences.interruptentries = true;
  } else if (name == "unlisten-holds-clk") {
    differences.unlistenholdsclk = true;
  } else if (name == "clall-closes") {
    differences.clallcloses = true;
  } else if (name == "stale-track") {
    differences.staletrack = true;
  } else {
    throw badusage(
        "--quirk takes interrupt-entries, unlisten-holds-clk, "
        "clall-closes or stale-track, not \"" +
        name + "\"");
  }
}

options parseoptions(const std::vector<std::string>& arguments) {
  options chosen;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool takesvalue = argument == "--cycles" || argument == "--stop-at" ||
                            argument == "--dump" || argument == "--raw" ||
                            argument == "--start" || argument == "--sid-log" ||
                            argument == "--drive" ||
                            argument == "--dump-drive" ||
                            argument == "--drive-profile" ||
                            argument == "--quirk" ||
                            argument == "--scale-c64" ||
                            argument == "--scale-drive";
    if (takesvalue && i + 1 == arguments.size()) {
      throw badusage(argument + " needs a value");
    }
    if (argument == "--cycles") {
      chosen.limits.cycles = parsecount(arguments[++i]);
    } else if (argument == "--stop-at") {
      chosen.limits.stopat = parseaddress(arguments[++i]);
    } else if (argument == "--dump") {
      chosen.dumps.push_back(parsedump(arguments[++i]));
    } else if (argument == "--drive") {
      const std::string& kind = arguments[++i];
      if (kind != "1541" && kind != "dos") {
        throw badusage("--drive takes 1541 or dos, not \"" + kind + "\"");
      }
      chosen.with1541 = kind == "1541";
    } else if (argument == "--dump-drive") {
      chosen.drivedumps.push_back(parsedump(arguments[++i]));
      if (chosen.drivedumps.back().to > 0x07FF) {
        throw badusage("the drive's RAM ends at $07FF");
      }
    } else if (argument == "--drive-profile") {
      chosen.driveprofile = arguments[++i];
    } else if (argument == "--quirk") {
      takequirk(chosen.differences, arguments[++i]);
    } else if (argument == "--scale-c64") {
      chosen.c64scale.add(parsescale(arguments[++i]));
    } else if (argument == "--scale-drive") {
      chosen.drivescale.add(parsescale(arguments[++i]));
    } else if (argument == "--hold-shift") {
      chosen.holdshift = true;
    } else if (argument == "--ntsc") {
      chosen.ntsc = true;
    } else if (argument == "--sid-log") {
      chosen.sidlog = arguments[++i];
    } else if (argument == "--start") {
      chosen.start = parseaddress(arguments[++i]);
    } else if (argument == "--raw") {
      const std::string& value = arguments[++i];
      const std::size_t at = value.rfind('@');
      if (at == std::string::npos || at == 0) {
        throw badusage("--raw takes FILE@ADDR, not \"" + value + "\"");
      }
      chosen.rawfile = value.substr(0, at);
      chosen.rawaddress = parseaddress(value.substr(at + 1));
    } else if (argument.rfind("--", 0) == 0) {
      throw badusage("unknown option " + argument);
    } else if (chosen.image.empty()) {
      chosen.image = argument;
    } else {
      throw badusage("more than one image");
    }
  }
  const bool raw = !chosen.rawfile.empty();
  if (raw == !chosen.image.empty()) {
    throw badusage(raw ? "--raw runs no image" : "no image to run");
  }
  if (!chosen.driveprofile.empty() && (raw || !chosen.with1541)) {
    throw badusage("--drive-profile needs a 1541 to run drive code");
  }
  if (chosen.drivescale.any() && (raw || !chosen.with1541)) {
    throw badusage("--scale-drive needs a 1541 to run drive code");
  }
  if (raw && chosen.ntsc) {
    throw badusage("--raw runs no chips whose timing --ntsc could change");
  }
  if (raw && !chosen.drivedumps.empty()) {
    throw badusage("--raw runs no drive");
  }
  if (raw &&
      (chosen.differences.interruptentries ||
       chosen.differences.unlistenholdsclk || chosen.differences.clallcloses ||
       chosen.differences.staletrack)) {
    throw badusage("--raw runs no ROM and no drive");
  }
  if (raw != chosen.start.has_value()) {
    throw badusage(raw ? "--raw needs --start" : "--start goes with --raw");
  }
  return chosen;
}
