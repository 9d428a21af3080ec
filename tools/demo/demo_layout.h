#pragma once
// The demo chapter's layout, the one table that make-demo builds the data from and that the demo
// tests check the built data against: every movie with its named clips (kind, place, size,
// frames, labels, stop actions), the levels with their kinds and description keys, the sounds,
// effects, fonts and texts.
//
// Clip positions are game pixels relative to the parent clip; a clip is drawn as one box of its
// size from its origin (its top-left corner). Lists the game walks in attribute-tree order
// (element, task-row, hint and slot order) are given here in that order: treeOrder() sorts names
// as the attribute tree orders an object's children (name length, then bytes).
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace demo {

enum class Kind {
    Sprite,  // a movie clip: one box on every frame, its own frames and labels
    Button,  // a DefineButton2 whose four states show the box
    Text,    // an edit-text field of the box's size
};

struct Label {
    int frame = 0;  // counted from 0
    std::string name;
};

struct Clip {
    std::string name;  // instance name; empty for an unnamed clip
    Kind kind = Kind::Sprite;
    int x = 0, y = 0, w = 0, h = 0;
    int ox = 0, oy = 0;  // where the box starts, from the clip's origin
    uint32_t color = 0xFF808080;  // ARGB of the box; alpha 0 makes an invisible marker
    int frames = 1;
    std::vector<Label> labels;
    bool stopAtStart = false;  // a stop action on the clip's first frame
    bool stopAtEnd = false;    // a stop action on its last frame
    int firstFrame = 0;        // the parent's frames the clip stands on: first ..
    int lastFrame = -1;        // .. last (-1: to the end)
    std::string text;          // the initial text of a text field
    bool input = false;        // a text field that takes typing; the others are read-only
    bool wired = false;        // the game stores its event callback in it (every button is wired)
    // The depth in the parent (0: one of its own). Clips of one depth on following frames replace
    // each other there: the game's gotos jump back and forth over those frames, and a remove tag
    // on a frame jumped to would find its clip gone already.
    int depth = 0;
    std::vector<Clip> children;
};

struct Movie {
    std::string file;    // "mainmenu.swf"
    std::string folder;  // under data/: "movies" or "levels"
    int width = 1024, height = 768;
    double fps = 30;
    int frames = 1;
    std::vector<Label> labels;
    bool stopAtEnd = false;
    uint32_t background = 0;  // ARGB of a full-stage box under everything; 0 for none
    std::vector<Clip> clips;
    // Named free points (game pixels): places a test can click that hit no named clip but the
    // background.
    std::vector<std::pair<std::string, std::pair<int, int>>> points;
};

// The screen movies and the level movies.
const std::vector<Movie>& movies();
const Movie* findMovie(const std::string& file);

// Level kinds by the "Type" value of their descriptions.
struct Level {
    std::string name;
    std::string type;  // "hidden", "contour", "letters", "puzzle", "rotator", "movie"
    std::string file;  // the movie ("FileName")
    std::string next;  // "next_level"; empty: the game ends
    std::string parent;
    bool loadScreen = false;
    std::string chapter;
    // Element groups of the description: group name, then (element name, value) in tree order.
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> groups;
    // Further scalar keys: (type, name, value), type one of string, integer, boolean.
    std::vector<std::tuple<std::string, std::string, std::string>> keys;
    // Timed sounds of the "_ext.xml" file: (sound, start_time, loop_time).
    std::vector<std::tuple<std::string, int, int>> sounds;
    // Dialogs: bubbles of "<name>_start" and "<name>_finish".
    int startBubbles = 1, finishBubbles = 1;
    bool startZooms = false;  // "<name>_start" has zoom_in and zoom_out
    std::string initScript;   // further lines of "<name>_init"
    std::string enterScript;  // further lines of "<name>_ON_ENTER"
};
const std::vector<Level>& levels();
const Level* findLevel(const std::string& name);
const char* startLevel();

// Every sound name the game plays (media.xml's "sounds"), in file-name order.
std::vector<std::string> soundNames();
// The music files: the menu's playlist entry 0 first, then the movie levels' tracks.
std::vector<std::string> musicFiles();
// Every particle effect the game starts.
std::vector<std::string> effectNames();
// The fonts the console variables name, each with its texture's file name.
std::vector<std::string> fontNames();
std::string fontTexture(const std::string& font);
// The string table: key and text, in file order. The one key used but missing on purpose.
std::vector<std::pair<std::string, std::string>> strings();
const char* missingStringKey();
// Keys the game looks up that the table holds (every one of them translates).
std::vector<std::string> usedStringKeys();

// The attribute tree's child order: by length, then by bytes.
std::vector<std::string> treeOrder(std::vector<std::string> names);

// Absolute places of every named clip of a movie, in game pixels: (name, x0, y0, x1, y1), parents
// before children, the clips of the first frame they stand on.
struct Placed {
    std::string name;
    std::string path;  // parent names joined by '.', then the name
    Kind kind;
    int x0, y0, x1, y1;
    int frames;
    std::vector<Label> labels;
    bool wired;
    int firstFrame;  // the first frame of the movie's root on which the clip stands
    // The sprites inside the root, by name, that must show a frame for the clip to stand.
    std::vector<std::pair<std::string, int>> gotos;
};
std::vector<Placed> placedClips(const Movie& m);

}  // namespace demo
