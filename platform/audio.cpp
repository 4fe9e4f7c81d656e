// Placeholder until the mixer lands: a silent output that accepts every call.
#include "platform/audio.h"
TSound* LoadSound(const std::string& path, int flags) {
  (void)path;
  (void)flags;
  return nullptr;
}
TChannel PlaySound(TSound*) { return TChannel{}; }
void StopChannel(TChannel) {}
void SetChannelPaused(TChannel, int) {}
void SetChannelVolume(TChannel, float) {}
void SetChannelPan(TChannel, float) {}
void SetChannelDepth(TChannel, float) {}
int ChannelPlaying(TChannel) { return 0; }
void OpenAudio(bool) {}
void CloseAudio() {}
bool AudioDeviceOpen() { return false; }
