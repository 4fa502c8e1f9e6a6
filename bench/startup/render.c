// SPDX-License-Identifier: GPL-3.0-or-later
/* render: plays a MIDI piece through SDL_mixer with the game's sound font and audio settings,
 * for SDL's disk driver to write out (SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=out.raw
 * SDL_DISKAUDIODELAY=0): signed 16-bit stereo at 44100 Hz, as fast as the machine can.
 *   render PIECE.mid */
#include <SDL.h>
#include <SDL_mixer.h>

#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: render PIECE.mid\n");
        return 2;
    }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        fprintf(stderr, "render: %s\n", SDL_GetError());
        return 1;
    }
    Mix_Init(MIX_INIT_MID);
    Mix_SetSoundFonts("/usr/share/sounds/sf2/default-GM.sf2");
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        fprintf(stderr, "render: %s\n", Mix_GetError());
        return 1;
    }
    Mix_Music* music = Mix_LoadMUS(argv[1]);
    if (music == NULL || Mix_PlayMusic(music, 0) != 0) {
        fprintf(stderr, "render: %s\n", Mix_GetError());
        return 1;
    }
    while (Mix_PlayingMusic())
        SDL_Delay(5);
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    return 0;
}
