#pragma once
// The playlist file as a document: loading and saving it through the device
// file system, and the two edits the player makes to it (area renumbering
// before every read, removal of inserted programs at start-up).

#include <tinyxml2.h>

#include <string>

namespace led {

class DeviceFs;

// False when the file cannot be read or is not well-formed XML.
bool LoadXml(const DeviceFs& fs, const std::string& boardPath, tinyxml2::XMLDocument& doc);
bool SaveXml(const DeviceFs& fs, const std::string& boardPath, const tinyxml2::XMLDocument& doc);

// root/screens/screen/programs, followed through direct children.
tinyxml2::XMLElement* ProgramsElement(tinyxml2::XMLDocument& doc);

// Sets the "id" of every program's areas to the area's position in its
// program (0, 1, 2, ...), so area ids always index the completion counters.
// True when any id changed.
bool RenumberAreas(tinyxml2::XMLDocument& doc);

// Removes every program whose schedule has priority 2 (inserted programs do
// not survive a restart) and saves the file when one was removed. A file that
// cannot be loaded is left untouched. Returns 1, as the board does.
int RemoveInsertedPrograms(const DeviceFs& fs, const std::string& boardPath);

}  // namespace led
