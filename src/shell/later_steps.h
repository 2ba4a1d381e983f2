// Start-up and shutdown steps whose subsystems are not built yet.  Each
// does nothing so far; start-up calls them in their places so the order
// stays visible.
#pragma once

namespace vr::later {

inline void createMenuStrip() {}           // the full-screen menu strip
inline void loadMidiPlugin() {}            // the optional MIDI plug-in
inline void updateMenuStrip() {}           // the menu strip follows the cursor
inline bool movieHoldsScreen() { return false; }  // a movie presents instead of the layers
inline void showPopupMenu() {}             // a requested pop-up menu
inline void stopMedia() {}                 // movie, MIDI plug-in and other media
inline void destroyMenus() {}              // the three menu tables

}  // namespace vr::later
