#pragma once
#include <string>

#include "platform/Registry.h"

namespace platform {

// One registry value that the encoder's installation leaves behind.
struct EncoderRegistryValue {
    RegRoot root;
    const char* keyPath;
    const char* valueName;  // "" for the key's default value
};

// The four values the presence check reads, in the order it reads them: the application path, the type
// library of the control's event interface, the component file, and the control's in-process server.
inline constexpr EncoderRegistryValue EncoderValues[4] = {
    {RegRoot::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\realprod.exe",
     "path"},
    {RegRoot::ClassesRoot, "\\Interface\\{56919D32-BE39-11D2-A404-00104BDF4755}\\TypeLib", ""},
    {RegRoot::LocalMachine,
     "\\SOFTWARE\\Classes\\Software\\RealNetworks\\Update\\6.0\\Preferences\\Components\\RaG2Encoder:8."
     "5\\File4",
     ""},
    {RegRoot::LocalMachine,
     "\\SOFTWARE\\Classes\\CLSID\\{F4F647A9-B160-11D2-A3EF-00104BDF4755}\\InprocServer32", ""},
};

// Each helper reads the hive afresh; a missing key or value, or a value that is not a string, reads as "".
// None of them appends a path delimiter.
std::string GetDesktopFolder();
std::string GetProgramsFolder();
std::string GetRealProducerPath();
// True exactly when all four encoder values are non-empty strings; whether the files exist is not looked at.
bool IsEncoderInstalled();

// What the encoder's installer does: writes the four values in one replacement of the hive, value 1 the
// program directory, values 2 to 4 the program that serves the encoder control.
void RegisterEncoder(const std::string& programDirectory, const std::string& serverPath);
// Removes the four values, leaving every key and every other value.
void UnregisterEncoder();

}  // namespace platform
