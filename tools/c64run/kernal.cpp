#include "kernal.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "screen.h"

namespace {

// KERNAL variables in page 0.
constexpr std::uint16_t status = 0x90;
constexpr std::uint16_t openfiles = 0x98;
constexpr std::uint16_t inputdevice = 0x99;
constexpr std::uint16_t outputdevice = 0x9A;
constexpr std::uint16_t messagemode = 0x9D;
constexpr std::uint16_t endaddress = 0xAE;
constexpr std::uint16_t namelength = 0xB7;
constexpr std::uint16_t logicalnumber = 0xB8;
constexpr std::uint16_t secondaryaddress = 0xB9;
constexpr std::uint16_t devicenumber = 0xBA;
constexpr std::uint16_t nameaddress = 0xBB;

constexpr std::uint8_t keyboard = 0, screen = 3, disk = 8;

// What the routines cost: the models run in no time, so each is charged a
// nominal figure. Talking to the drive is charged as drive time: besides
// each byte, a handshake on the serial bus (TALK, LISTEN and their ends) for
// CHKIN, CLRCHN and CLOSE, and for OPEN and LOAD also the drive's search
// of the directory. Routines that stay in the C64 take some hundred cycles.
constexpr std::uint64_t handshakecycles = 1000;
constexpr std::uint64_t searchcycles = 20000;
constexpr std::uint64_t callcycles = 100;

// KERNAL error numbers, returned in A with the carry set.
enum : std::uint8_t {
  toomanyfiles = 1,
  fileopen = 2,
  filenotopen = 3,
  filenotfound = 4,
  devicenotpresent = 5,
  missingfilename = 8,
  illegaldevice = 9
};

void chargedrive(kernal& state, std::uint64_t cycles) {
  state.drivecycles += cycles;
  state.busy += cycles;
}

// UNLISTEN: the end of what was sent to the drive. Commodore's releases
// every line; another KERNAL may leave CLK held in CIA 2's port.
void endlistening(kernal& state, memory& machine) {
  if (state.differences.unlistenholdsclk) {
    machine.write(0xDD00,
                  static_cast<std::uint8_t>(machine.read(0xDD00) | 0x10));
  }
}

void setcarry(cpu6502& processor, bool on) {
  processor.p = static_cast<std::uint8_t>(on ? processor.p | carryflag
                                             : processor.p & ~carryflag);
}

void setzero(cpu6502& processor, std::uint8_t value) {
  processor.p = static_cast<std::uint8_t>(
      (processor.p & ~(zeroflag | negativeflag)) | (value == 0 ? zeroflag : 0) |
      (value & negativeflag));
}

void fail(cpu6502& processor, std::uint8_t error) {
  processor.a = error;
  setcarry(processor, true);
}

std::string filename(const memory& machine) {
  const int address = machine.ram[nameaddress] | machine.ram[nameaddress + 1]
                                                     << 8;
  std::string name;
  for (int i = 0; i < machine.ram[namelength]; ++i) {
    name += static_cast<char>(machine.ram[(address + i) & 0xFFFF]);
  }
  return name;
}

std::vector<logicalfile>::iterator findlogical(kernal& state,
                                               std::uint8_t number) {
  return std::find_if(
      state.files.begin(), state.files.end(),
      [&](const logicalfile& file) { return file.number == number; });
}

// Devices 0-3 are the keyboard, tape, RS-232 and screen; of the serial
// devices only drive 8 answers.
std::optional<std::uint8_t> deviceproblem(const kernal& state,
                                          std::uint8_t device,
                                          memory& machine) {
  if (device == disk && state.disk != nullptr) {
    if (!state.disk->coderunning) return std::nullopt;
    machine.ram[status] |= 0x80;  // drive code has the bus: nothing answers
    return devicenotpresent;
  }
  if (device >= 4 || device == 1 || device == 2) {
    machine.ram[status] |= 0x80;
    return devicenotpresent;
  }
  return std::nullopt;
}

void load(kernal& state, cpu6502& processor, memory& machine) {
  machine.ram[status] = 0;
  const std::uint8_t device = machine.ram[devicenumber];
  if (device < 4 && device != 1) {
    return fail(processor, illegaldevice);
  }
  if (auto problem = deviceproblem(state, device, machine)) {
    return fail(processor, *problem);
  }
  const std::string name = filename(machine);
  if (name.empty()) {
    return fail(processor, missingfilename);
  }
  const std::optional<diskbytes> file = loadfile(*state.disk, name);
  chargedrive(state, searchcycles + cyclesperbyte * (file ? file->size() : 1));
  if (!file || file->size() < 2) {
    machine.ram[status] = 0x42;
    return fail(processor, filenotfound);
  }
  const std::uint16_t address =
      machine.ram[secondaryaddress] == 0
          ? static_cast<std::uint16_t>(processor.x | processor.y << 8)
          : static_cast<std::uint16_t>((*file)[0] | (*file)[1] << 8);
  std::uint16_t end;
  if (processor.a == 0) {
    end = storeprogram(machine, *file, address);
  } else {  // VERIFY compares instead of storing
    end = address;
    for (std::size_t i = 2; i < file->size(); ++i, ++end) {
      if (machine.read(end) != (*file)[i]) machine.ram[status] |= 0x10;
    }
  }
  machine.ram[status] |= 0x40;
  machine.ram[endaddress] = static_cast<std::uint8_t>(end);
  machine.ram[endaddress + 1] = static_cast<std::uint8_t>(end >> 8);
  processor.x = static_cast<std::uint8_t>(end);
  processor.y = static_cast<std::uint8_t>(end >> 8);
  setcarry(processor, false);
}

void open(kernal& state, cpu6502& processor, memory& machine) {
  machine.ram[status] = 0;
  const logicalfile file{machine.ram[logicalnumber], machine.ram[devicenumber],
                         machine.ram[secondaryaddress]};
  if (findlogical(state, file.number) != state.files.end()) {
    return fail(processor, fileopen);
  }
  if (state.files.size() >= 10) {
    return fail(processor, toomanyfiles);
  }
  if (auto problem = deviceproblem(state, file.device, machine)) {
    return fail(processor, *problem);
  }
  if (file.device == disk) {
    const std::string name = filename(machine);
    openchannel(*state.disk, file.secondary, name,
                drivetime(machine.cycles, machine.system));
    chargedrive(state, searchcycles);
    if (!name.empty()) endlistening(state, machine);
  }
  state.files.push_back(file);
  machine.ram[openfiles] = static_cast<std::uint8_t>(state.files.size());
  setcarry(processor, false);
}

// The end of what was sent to the command channel (UNLISTEN): the drive
// carries it out.
void unlisten(kernal& state, memory& machine) {
  endlistening(state, machine);
  if (state.disk == nullptr || state.disk->command.empty()) return;
  runcommand(*state.disk, std::exchange(state.disk->command, {}),
             drivetime(machine.cycles, machine.system));
}

// LISTEN, CLOSE and UNLISTEN for a file on the drive. Where drive code has
// the bus they reach it as ATN pulled and released twice.
void closeonbus(kernal& state, const logicalfile& file, memory& machine) {
  if (state.disk->coderunning) {
    state.atnsteps.insert(state.atnsteps.end(), {true, false, true, false});
    chargedrive(state, 4 * cyclesperbyte);
    return;
  }
  if ((file.secondary & 15) == 15) {
    unlisten(state, machine);
  } else {
    endlistening(state, machine);
  }
  closechannel(*state.disk, file.secondary);
  chargedrive(state, handshakecycles);
}

void close(kernal& state, cpu6502& processor, memory& machine) {
  const auto file = findlogical(state, processor.a);
  if (file != state.files.end()) {
    if (file->device == disk) closeonbus(state, *file, machine);
    state.files.erase(file);
  }
  machine.ram[openfiles] = static_cast<std::uint8_t>(state.files.size());
  setcarry(processor, false);
}

void chkout(kernal& state, cpu6502& processor, memory& machine) {
  const auto file = findlogical(state, processor.x);
  if (file == state.files.end()) {
    return fail(processor, filenotopen);
  }
  if (auto problem = deviceproblem(state, file->device, machine)) {
    return fail(processor, *problem);
  }
  machine.ram[outputdevice] = file->device;
  state.outputsecondary = file->secondary;
  if (file->device == disk) {
    chargedrive(state, handshakecycles);
  }
  setcarry(processor, false);
}

// Bytes for the drive go to the command channel; the disk takes no others.
void chrout(kernal& state, cpu6502& processor, memory& machine) {
  if (machine.ram[outputdevice] == screen) {
    printpetscii(machine, processor.a);
  } else if (machine.ram[outputdevice] == disk && state.disk != nullptr) {
    if ((state.outputsecondary & 15) == 15) {
      state.disk->command += static_cast<char>(processor.a);
    }
    chargedrive(state, cyclesperbyte);
  }
  setcarry(processor, false);
}

void chkin(kernal& state, cpu6502& processor, memory& machine) {
  const auto file = findlogical(state, processor.x);
  if (file == state.files.end()) {
    return fail(processor, filenotopen);
  }
  machine.ram[inputdevice] = file->device;
  state.inputsecondary = file->secondary;
  if (file->device == disk) {
    chargedrive(state, handshakecycles);
  }
  setcarry(processor, false);
}

void clrchn(kernal& state, memory& machine) {
  if (machine.ram[inputdevice] == disk) {
    chargedrive(state, handshakecycles);
  }
  if (machine.ram[outputdevice] == disk) {
    chargedrive(state, handshakecycles);
    unlisten(state, machine);
  }
  machine.ram[inputdevice] = keyboard;
  machine.ram[outputdevice] = screen;
}

// Commodore's CLALL forgets the open files without a word on the bus;
// another KERNAL may close each on the drive.
void clall(kernal& state, memory& machine) {
  if (state.differences.clallcloses) {
    for (const logicalfile& file : state.files) {
      if (file.device == disk && state.disk != nullptr) {
        closeonbus(state, file, machine);
      }
    }
  }
  state.files.clear();
  machine.ram[openfiles] = 0;
  clrchn(state, machine);
}

// Nobody types: the keyboard and the screen give an empty line.
void chrin(kernal& state, cpu6502& processor, memory& machine) {
  setcarry(processor, false);
  if (machine.ram[inputdevice] != disk || state.disk == nullptr) {
    processor.a = 0x0D;
    return;
  }
  const drivebyte byte = readchannel(*state.disk, state.inputsecondary);
  chargedrive(state, cyclesperbyte);
  if (byte.nodata) {
    machine.ram[status] |= 0x42;
  } else if (byte.last) {
    machine.ram[status] |= 0x40;
  }
  processor.a = byte.value;
}

void plot(cpu6502& processor, memory& machine) {
  if (processor.p & carryflag) {
    processor.x = machine.ram[0xD6];
    processor.y = machine.ram[0xD3];
  } else if (processor.x < screenrows && processor.y < screencolumns) {
    machine.ram[0xD6] = processor.x;
    machine.ram[0xD3] = processor.y;
  }
}

// RESTOR: the KERNAL's vectors at $0314-$0333 as power-on sets them.
void restorevectors(memory& machine) {
  constexpr std::uint16_t defaults[] = {
      0xEA31, 0xFE66, 0xFE47, 0xF34A, 0xF291, 0xF20E, 0xF250, 0xF333,
      0xF157, 0xF1CA, 0xF6ED, 0xF13E, 0xF32F, 0xFE66, 0xF4A5, 0xF5ED};
  std::uint16_t at = 0x0314;
  for (const std::uint16_t vector : defaults) {
    machine.ram[at++] = static_cast<std::uint8_t>(vector);
    machine.ram[at++] = static_cast<std::uint8_t>(vector >> 8);
  }
}

// IOINIT: the CIAs, the SID's volume and the processor port as power-on
// sets them, and the KERNAL's timer interrupt.
void initio(memory& machine) {
  const std::pair<std::uint16_t, std::uint8_t> writes[] = {
      {0xDC0D, 0x7F}, {0xDD0D, 0x7F}, {0xDC0E, 0x08},
      {0xDD0E, 0x08}, {0xDC0F, 0x08}, {0xDD0F, 0x08},
      {0xD418, 0x00}, {0x0001, 0xE7}, {0x0000, 0x2F}};
  for (const auto& [address, value] : writes) machine.write(address, value);
  setupports(machine);
  startkernaltimer(machine);
}

}  // namespace

void setupports(memory& machine) {
  const std::pair<std::uint16_t, std::uint8_t> writes[] = {
      {0xDC00, 0x7F}, {0xDC02, 0xFF}, {0xDC03, 0x00},
      {0xDD00, 0x07}, {0xDD02, 0x3F}, {0xDD03, 0x00}};
  for (const auto& [address, value] : writes) machine.write(address, value);
}

void startkernaltimer(memory& machine) {
  machine.write(0xDC04, machine.system.kernaltimer & 0xFF);
  machine.write(0xDC05, machine.system.kernaltimer >> 8);
  machine.write(0xDC0D, 0x81);
  machine.write(0xDC0E, 0x11);
}

void resetkernal(kernal& state, memory& machine) {
  state.files.clear();
  restorevectors(machine);
  machine.ram[inputdevice] = keyboard;
  machine.ram[outputdevice] = screen;
  machine.ram[0x0288] = screenstart >> 8;
  clearscreen(machine);
}

std::uint16_t storeprogram(memory& machine, const diskbytes& file,
                           std::uint16_t address) {
  for (std::size_t i = 2; i < file.size(); ++i) {
    machine.write(address++, file[i]);
  }
  return address;
}

bool callkernal(kernal& state, cpu6502& processor, memory& machine,
                std::uint16_t address) {
  state.busy = 0;
  switch (address) {
    case 0xFF90:
      machine.ram[messagemode] = processor.a;
      break;
    case 0xFFB7:
      processor.a = machine.ram[status];
      setzero(processor, processor.a);
      break;
    case 0xFFBA:
      machine.ram[logicalnumber] = processor.a;
      machine.ram[devicenumber] = processor.x;
      machine.ram[secondaryaddress] = processor.y;
      break;
    case 0xFFBD:
      machine.ram[namelength] = processor.a;
      machine.ram[nameaddress] = processor.x;
      machine.ram[nameaddress + 1] = processor.y;
      break;
    case 0xFFC0:
      open(state, processor, machine);
      break;
    case 0xFFC3:
      close(state, processor, machine);
      break;
    case 0xFFC6:
      chkin(state, processor, machine);
      break;
    case 0xFFCC:
      clrchn(state, machine);
      break;
    case 0xFFCF:
      chrin(state, processor, machine);
      break;
    case 0xFFC9:
      chkout(state, processor, machine);
      break;
    case 0xFFD2:
      chrout(state, processor, machine);
      break;
    case 0xFFD5:
      load(state, processor, machine);
      break;
    case 0xFFE1:  // the STOP key is never down
      processor.a = 0xFF;
      setzero(processor, processor.a);
      break;
    case 0xFFE4:
      if (machine.ram[inputdevice] == keyboard) {
        processor.a = 0;
        setcarry(processor, false);
      } else {
        chrin(state, processor, machine);
      }
      setzero(processor, processor.a);
      break;
    case 0xFFE7:
      clall(state, machine);
      break;
    case 0xFFF0:
      plot(processor, machine);
      break;
    case 0xFF8A:
      restorevectors(machine);
      break;
    case 0xFF84:
      initio(machine);
      break;
    default:
      return false;
  }
  if (state.busy == 0) {
    machine.cycles += callcycles;
  }
  processor.returnfromsubroutine();
  return true;
}
