#pragma once
// Drains an encoder at the end of a stream: everything it still holds is
// encoded and written to stream `stream_index` of `fmt_ctx`.

#include "media/avdeleters.h"

namespace scrivel {

// 0 or positive when done (also when the encoder keeps nothing back), a
// negative library code when encoding or writing failed.
int flush_encoder(AVFormatContext* fmt_ctx, AVCodecContext* codec, unsigned int stream_index);

}  // namespace scrivel
