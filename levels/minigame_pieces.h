#pragma once
// What the piece minigames (the puzzle and the rotator) share: the bound on the pieces a
// description may claim, turning and raising a piece's clip, the press test and the skip button.
#include <string>

#include "flash/shape/geometry.h"

namespace flash {
class character;
struct matrix;
}  // namespace flash

class BaseLevel;

namespace levels {

// No minigame needs more pieces; a description claiming more is refused before anything is
// made per piece.
constexpr int kMaxPieces = 256;
// The press event of a clip's native callback.
constexpr int kPressEvent = 1;
constexpr float kHalfPi = 1.5707963f;
constexpr float kTwoPi = 6.2831853f;

// The highest k (1 to min(claimed, kMaxPieces)) for which the level's movie holds the clip
// `prefix` followed by k; 0 when none.
int highestNumberedClip(BaseLevel* level, const std::string& prefix, int claimed);
// Checks a claimed piece count against the bound and the clips the movie holds; false (logged
// as `where` + the reason) when it cannot be played.
bool piecesFit(BaseLevel* level, const char* where, const std::string& prefix, int claimed);
// The clip's rotation becomes `angle` (radians) with its current scales; its translation stays.
void setClipRotation(flash::character* ch, float angle);
// The clip gets this scale on both axes with its current rotation.
void setClipScale(flash::character* ch, float scale);
// Moves the clip to the top of its parent's display list (drawn over its siblings).
void raiseClip(flash::character* ch);
// True while a modal screen holds the game (presses on the level are ignored then).
bool gameBusy();
// Shows or hides the heads-up panel's skip button (its flag 64).
void setSkipButtonShown(bool shown);

}  // namespace levels
