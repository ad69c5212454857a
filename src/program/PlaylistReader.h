#pragma once

#include <string>

namespace led {

class Player;

// Reads the playlist file into the player's program lists: 0 on success, -1
// when the file cannot be read (the previous lists stay).
int ReadPlaylist(Player& player, const std::string& boardPath);
// Removes the inserted programs (class 2) from the playlist file.
void RemoveInsertedPrograms(Player& player, const std::string& boardPath);

}  // namespace led
