// Force-included into every game source outside platform/: the window
// system, OpenGL, libpng, Vorbis, zlib and libcurl belong to the platform layer alone, so a
// header of theirs included here stops the build at its first declaration.
#pragma once
#pragma GCC poison SDL_Init SDL_CreateWindow SDL_PollEvent SDL_GetTicks SDL_OpenAudioDevice
#pragma GCC poison glBegin glDrawArrays glTexImage2D glBlendFunc glClear
#pragma GCC poison png_create_read_struct png_create_write_struct
#pragma GCC poison ov_open_callbacks ov_fopen ov_read vorbis_info_init
#pragma GCC poison curl_easy_init curl_easy_perform curl_global_init
// The score board's routes include the HTTP library, whose header declares
// zlib (for packed bodies, which the board refuses); zlib alone is let through there.
#ifndef PULSEFIELD_BOUNDARY_LETS_ZLIB
#pragma GCC poison compress2 inflateInit_ deflateInit_ inflateEnd deflateEnd
#endif
