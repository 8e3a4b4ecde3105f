#pragma once

// The few primitives that each platform file implements and the shared file
// services are built on.

#include <cstddef>
#include <string>

#include "files.h"

// The path as the operating system wants it handed over.
std::string nativepath(std::string path);

bool directoryexists(const std::string& path);
bool createdirectory(const std::string& path);

// Both return how many bytes were moved; 0 at the end or on an error.
std::size_t readsome(const openfile& file, void* buffer, std::size_t count);
std::size_t writesome(const openfile& file, const void* buffer,
                      std::size_t count);
