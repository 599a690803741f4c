// The data checker's look at the files the game decodes: the paks, the texture images, the fonts
// and their pages, the sprite shaders, the sound effects, the music and the movies. Each goes
// through the decoder the game runs on it, and what the game would log as an ERROR becomes one
// finding naming the file and the game's reason.
#pragma once

#include "DataCheck.h"

#include <map>
#include <string>
#include <vector>

class AssetCheck {
  public:
    explicit AssetCheck(std::vector<DataFinding>& findings) : m_Findings(findings) {}

    // Mounts the game folder's loose folders and paks in the game's order; a pak the game
    // refuses is a finding (a pak file that is not there is not: the game goes on without it).
    void Mount(const std::string& game);
    // Decodes the image once; a finding on the image when the game cannot decode it, saying
    // who uses it (`user`). True when it decodes.
    bool CheckImage(const std::string& image, const std::string& user);
    // The fonts the game loads at start-up, and their page images.
    void CheckFonts();
    // The two shaders the sprite batch builds: present, assembled and translated as the device
    // does before its GL compile (which only the translator's own faults could fail).
    void CheckShaders();
    // Sound effects through the WAVE decoder, music through the Ogg Vorbis one.
    void CheckSounds();
    // Each movie's headers, as the player reads them when it opens the movie.
    void CheckMovies();

  private:
    void Add(const std::string& file, const std::string& reason) { m_Findings.push_back({file, reason}); }

    std::vector<DataFinding>& m_Findings;
    std::map<std::string, bool> m_DecodedImages; // image -> it decodes
};
