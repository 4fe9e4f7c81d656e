// Ogg Vorbis encoding of the synthesised sounds. The stream serial number is
// fixed so the same samples always give the same bytes.
#include "ogg_writer.h"
#include <vorbis/vorbisenc.h>
#include <algorithm>
#include <cstdio>

namespace {

// Writes every page the stream has ready (or all of them when flushing).
bool WritePages(ogg_stream_state& os, FILE* f, bool flush) {
  ogg_page og;
  while (flush ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og)) {
    if (std::fwrite(og.header, 1, og.header_len, f) != static_cast<size_t>(og.header_len)) return false;
    if (std::fwrite(og.body, 1, og.body_len, f) != static_cast<size_t>(og.body_len)) return false;
  }
  return true;
}

// Encodes channels planar buffers of frames samples each into path. A loop
// is encoded as the loop it is: the encoder, which would otherwise guess what
// comes before the first sample and after the last, is shown the loop's own
// end before its start and its own start after its end. Its coding errors
// then run on across the seam as they do everywhere else, instead of meeting
// as a tiny step that clicks each time the loop comes round.
bool WriteOgg(const std::string& path, const float* const* planes, int channels, long frames,
              float quality, bool loops) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "pfmediagen: cannot write %s\n", path.c_str());
    return false;
  }
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, kSynthRate, quality) != 0) {
    vorbis_info_clear(&vi);
    std::fclose(f);
    std::fprintf(stderr, "pfmediagen: vorbis encoder refused its settings for %s\n", path.c_str());
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "ENCODER", "pfmediagen");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  auto sample = [&](int c, long i) { return std::clamp(planes[c][i], -1.0f, 1.0f); };
  // A fresh encoder holds a lead-in of half a long block before the first
  // sample, which it fills by extrapolating backwards once enough samples
  // are in (unless told it already has). A loop's lead-in is its own end.
  const long lead = vd.pcm_current;
  const bool wrap = loops && lead > 0 && lead == vd.centerW && lead <= vd.pcm_storage && frames >= lead;
  if (wrap) {
    for (int c = 0; c < channels; c++)
      for (long i = 0; i < lead; i++) vd.pcm[c][i] = sample(c, frames - lead + i);
    vd.preextrapolate = 1;
  }
  ogg_stream_state os;
  ogg_stream_init(&os, 0x50460001);

  ogg_packet header, headercomm, headercode;
  vorbis_analysis_headerout(&vd, &vc, &header, &headercomm, &headercode);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &headercomm);
  ogg_stream_packetin(&os, &headercode);
  bool ok = WritePages(os, f, true);

  const long chunk = 4096;
  long done = 0;
  bool finished = false;
  while (ok && !finished) {
    long n = std::min(chunk, frames - done);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (int c = 0; c < channels; c++) {
        for (long i = 0; i < n; i++) buffer[c][i] = sample(c, done + i);
      }
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    } else {
      // The end: the encoder pads its buffer past the last sample (from
      // eofflag on) with a forward guess, and the stream still ends at the
      // last sample. A loop's padding is its own start. (The sample before
      // eofflag must be the last one written, or the buffer is not laid out
      // as expected and the guess stays.)
      vorbis_analysis_wrote(&vd, 0);
      if (wrap && vd.eofflag > 0 && vd.pcm_current > vd.eofflag &&
          vd.pcm[channels - 1][vd.eofflag - 1] == sample(channels - 1, frames - 1)) {
        for (int c = 0; c < channels; c++)
          for (long i = vd.eofflag; i < vd.pcm_current; i++) vd.pcm[c][i] = sample(c, (i - vd.eofflag) % frames);
      }
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        ok = ok && WritePages(os, f, false);
      }
    }
    if (n <= 0) finished = true;
  }
  ok = ok && WritePages(os, f, true);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  if (std::fclose(f) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "pfmediagen: failed writing %s\n", path.c_str());
  return ok;
}

}  // namespace

// Encodes one mono buffer.
bool WriteOggMono(const std::string& path, const Buf& samples, float quality) {
  const float* planes[1] = {samples.data()};
  return WriteOgg(path, planes, 1, static_cast<long>(samples.size()), quality, false);
}

// Encodes one stereo buffer, as a seamless loop when loops is set.
bool WriteOggStereo(const std::string& path, const Stereo& samples, float quality, bool loops) {
  const float* planes[2] = {samples.l.data(), samples.r.data()};
  return WriteOgg(path, planes, 2, static_cast<long>(samples.size()), quality, loops);
}
