#include "chronicle/Turn.h"

#include "world/TurnFile.h"

namespace chronicle {

Turn ReadTurn(const std::filesystem::path& path) {
  Turn turn;
  world::ReadTurnFile(*turn.world, turn.playerCount, path);
  return turn;
}

}  // namespace chronicle
