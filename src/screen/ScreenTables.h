#pragma once

namespace led {

class Player;

// Loads gamma, colour, link, module and router tables from "\nand\table\".
void LoadScreenTables(Player& player);

}  // namespace led
