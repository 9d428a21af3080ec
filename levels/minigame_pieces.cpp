#include "levels/minigame_pieces.h"

#include <algorithm>
#include <cmath>

#include "app/application.h"
#include "core/log_stream.h"
#include "flash/movie/display_list.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "levels/base_level.h"
#include "screens/main_panel.h"

namespace levels {


int highestNumberedClip(BaseLevel* level, const std::string& prefix, int claimed) {
    if (!level) return 0;
    for (int k = std::min(claimed, kMaxPieces); k >= 1; --k)
        if (level->findCharacter(prefix + std::to_string(k), true)) return k;
    return 0;
}

bool piecesFit(BaseLevel* level, const char* where, const std::string& prefix, int claimed) {
    if (claimed > kMaxPieces) {
        Tov::LogLine("ERROR") << where << " PiecesNumber " << claimed << " is above " << kMaxPieces;
        return false;
    }
    const int held = highestNumberedClip(level, prefix, claimed);
    if (claimed > held) {
        Tov::LogLine("ERROR") << where << " PiecesNumber " << claimed << " is above the piece clips of the movie ("
                              << prefix << held << " is the last)";
        return false;
    }
    return true;
}

void setClipRotation(flash::character* ch, float angle) {
    if (!ch) return;
    flash::matrix m = ch->get_matrix();
    m.set_scale_rotation(m.get_x_scale(), m.get_y_scale(), flash::finite_or_zero(angle));
    ch->set_matrix(m);
}

void setClipScale(flash::character* ch, float scale) {
    if (!ch) return;
    flash::matrix m = ch->get_matrix();
    m.set_scale_rotation(flash::finite_or_zero(scale), flash::finite_or_zero(scale), m.get_rotation());
    ch->set_matrix(m);
}

void raiseClip(flash::character* ch) {
    if (!ch) return;
    flash::character* parent = ch->get_parent();
    flash::display_list* list = parent ? parent->get_display_list() : nullptr;
    if (!list) return;
    const int top = list->get_next_highest_depth();
    // Already on top: moving it would only leave a gap below it.
    if (ch->get_depth() + 1 >= top) return;
    list->set_character_depth(ch, top);
}

bool gameBusy() {
    Application* app = Application::instance();
    return app && app->isBusy();
}

void setSkipButtonShown(bool shown) {
    if (MainPanel* panel = MainPanel::instance()) panel->setFlag(MainPanel::kSkipShown, shown);
}

}  // namespace levels
