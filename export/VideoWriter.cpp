#include "export/VideoWriter.h"

#include "export/SafeFile.h"
#include "export/VideoModule.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <memory>

#ifdef TESSALINE_VIDEO
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}
#endif

namespace exporting {

#ifdef TESSALINE_VIDEO
namespace {

QString avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

struct CodecContextFree {
    void operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
};
struct FrameFree {
    void operator()(AVFrame *p) const { av_frame_free(&p); }
};
struct PacketFree {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct SwsFree {
    void operator()(SwsContext *p) const { sws_freeContext(p); }
};
struct OutputFree {
    void operator()(AVFormatContext *p) const {
        if (p->pb)
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};

// One video being encoded into an open file.
class Encoder {
public:
    bool open(const QString &file, VideoCodec codec, QSize size, int fps, QString *error);
    // Encodes the picture (of the video's size, RGB32) as the next frame; a
    // null picture repeats the last one.
    bool add(const QImage *picture, QString *error);
    bool finish(QString *error);

private:
    bool drain(bool flushing, QString *error);

    std::unique_ptr<AVFormatContext, OutputFree> m_output;
    std::unique_ptr<AVCodecContext, CodecContextFree> m_codec;
    std::unique_ptr<AVFrame, FrameFree> m_frame;
    std::unique_ptr<AVPacket, PacketFree> m_packet;
    std::unique_ptr<SwsContext, SwsFree> m_scaler;
    AVStream *m_stream = nullptr;
    qint64 m_next = 0;
};

bool Encoder::open(const QString &file, VideoCodec codec, QSize size, int fps, QString *error) {
    const QByteArray name = QFile::encodeName(file);
    AVFormatContext *output = nullptr;
    const int made = avformat_alloc_output_context2(
        &output, nullptr, codec == VideoCodec::H264 ? "mp4" : "webm", name.constData());
    if (made < 0 || !output) {
        *error = avError(made);
        return false;
    }
    m_output.reset(output);

    const char *encoderName = codec == VideoCodec::H264 ? "libx264" : "libvpx-vp9";
    const AVCodec *encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder) {
        *error = QStringLiteral("this FFmpeg has no %1 encoder").arg(QLatin1String(encoderName));
        return false;
    }
    m_codec.reset(avcodec_alloc_context3(encoder));
    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_codec || !m_frame || !m_packet) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    AVCodecContext *c = m_codec.get();
    c->width = size.width();
    c->height = size.height();
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, fps};
    c->framerate = AVRational{fps, 1};
    // A key frame every two seconds, so that a slide program can seek.
    c->gop_size = 2 * fps;
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_BT709;
    c->colorspace = AVCOL_SPC_BT709;
    c->color_range = AVCOL_RANGE_MPEG;
    if (codec == VideoCodec::H264) {
        // High profile at an automatic level plays in every slide program.
        av_opt_set(c->priv_data, "preset", "fast", 0);
        av_opt_set(c->priv_data, "profile", "high", 0);
        av_opt_set(c->priv_data, "crf", "18", 0);
        // Each frame x264 holds costs about 8 MB at 1080p. Two threads on
        // slices of one frame, no look-ahead and no B-frames keep only the
        // frame being encoded and its references (a 1080p video in about
        // 140 MB instead of 280). Tiles appearing on still pictures lose
        // nothing visible at this quality; the file is about twice as large
        // (2 MB for a 1080p reveal).
        c->thread_count = 2;
        c->max_b_frames = 0;
        av_opt_set(c->priv_data, "x264-params", "sliced-threads=1:rc-lookahead=0:bframes=0", 0);
    } else {
        c->bit_rate = 0;
        av_opt_set(c->priv_data, "crf", "30", 0);
        av_opt_set(c->priv_data, "deadline", "good", 0);
        av_opt_set(c->priv_data, "cpu-used", "4", 0);
        av_opt_set(c->priv_data, "row-mt", "1", 0);
        // libvpx looks 25 frames ahead by default and keeps each of them, a
        // frame and a half of YUV apiece: 7.9 GB at 8192 x 8192. With no
        // look-ahead (and so no hidden reference frames) it keeps only the
        // frame being encoded and its references.
        c->thread_count = 2;
        av_opt_set(c->priv_data, "lag-in-frames", "0", 0);
        av_opt_set(c->priv_data, "auto-alt-ref", "0", 0);
    }
    if (m_output->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int status = avcodec_open2(c, encoder, nullptr);
    if (status < 0) {
        *error = avError(status);
        return false;
    }

    m_stream = avformat_new_stream(m_output.get(), nullptr);
    if (!m_stream) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    m_stream->time_base = c->time_base;
    m_stream->avg_frame_rate = c->framerate;
    status = avcodec_parameters_from_context(m_stream->codecpar, c);
    if (status >= 0)
        status = avio_open(&m_output->pb, name.constData(), AVIO_FLAG_WRITE);
    if (status < 0) {
        *error = avError(status);
        return false;
    }
    AVDictionary *options = nullptr;
    if (codec == VideoCodec::H264)
        av_dict_set(&options, "movflags", "+faststart", 0);
    status = avformat_write_header(m_output.get(), &options);
    av_dict_free(&options);
    if (status < 0) {
        *error = avError(status);
        return false;
    }

    m_frame->format = c->pix_fmt;
    m_frame->width = c->width;
    m_frame->height = c->height;
    m_frame->color_primaries = c->color_primaries;
    m_frame->color_trc = c->color_trc;
    m_frame->colorspace = c->colorspace;
    m_frame->color_range = c->color_range;
    status = av_frame_get_buffer(m_frame.get(), 0);
    if (status < 0) {
        *error = avError(status);
        return false;
    }
    m_scaler.reset(sws_getContext(c->width, c->height, AV_PIX_FMT_RGB32, c->width, c->height,
                                  AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!m_scaler) {
        *error = QStringLiteral("no colour conversion to YUV 4:2:0");
        return false;
    }
    // Full-range RGB to limited-range BT.709, as the stream is tagged.
    sws_setColorspaceDetails(m_scaler.get(), sws_getCoefficients(SWS_CS_ITU709), 1,
                             sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
    return true;
}

bool Encoder::add(const QImage *picture, QString *error) {
    // The encoder may still hold the last frame; a copy keeps its pixels.
    int status = av_frame_make_writable(m_frame.get());
    if (status < 0) {
        *error = avError(status);
        return false;
    }
    if (picture) {
        const uint8_t *planes[1] = {picture->constBits()};
        const int strides[1] = {int(picture->bytesPerLine())};
        sws_scale(m_scaler.get(), planes, strides, 0, picture->height(), m_frame->data,
                  m_frame->linesize);
    }
    m_frame->pts = m_next++;
    status = avcodec_send_frame(m_codec.get(), m_frame.get());
    if (status < 0) {
        *error = avError(status);
        return false;
    }
    return drain(false, error);
}

bool Encoder::drain(bool flushing, QString *error) {
    for (;;) {
        int status = avcodec_receive_packet(m_codec.get(), m_packet.get());
        if (status == AVERROR(EAGAIN) && !flushing)
            return true;
        if (status == AVERROR_EOF)
            return true;
        if (status < 0) {
            *error = avError(status);
            return false;
        }
        av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        status = av_interleaved_write_frame(m_output.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (status < 0) {
            *error = avError(status);
            return false;
        }
    }
}

bool Encoder::finish(QString *error) {
    int status = avcodec_send_frame(m_codec.get(), nullptr);
    if (status < 0) {
        *error = avError(status);
        return false;
    }
    if (!drain(true, error))
        return false;
    status = av_write_trailer(m_output.get());
    if (status >= 0 && m_output->pb->error < 0)
        status = m_output->pb->error;
    if (status >= 0)
        status = avio_closep(&m_output->pb);
    if (status < 0) {
        *error = avError(status);
        return false;
    }
    return true;
}

// Composes the frames of the plan's parts one after another into the encoder.
bool encodeFrames(Encoder &encoder, const VideoPlan &plan, const Progress &progress,
                  QString *error) {
    const int frames = int(videoFrameCount(plan.totalMs, plan.fps));
    const qint64 fps = plan.fps;
    TileAnimation part;
    QImage current;
    int partIndex = -1;
    qint64 partStart = 0; // ms from the video's start
    qint64 partEnd = 0;
    int nextChange = 0;
    for (int f = 0; f < frames; ++f) {
        const qint64 now = qint64(f) * 1000; // the frame's time in ms, times fps
        bool changed = f == 0;
        while (partIndex + 1 < plan.partCount && (partIndex < 0 || partEnd * fps <= now)) {
            ++partIndex;
            if (!plan.part(partIndex, &part, error))
                return false;
            if (part.first.size() != plan.size || part.last.size() != plan.size ||
                !part.isWellFormed()) {
                *error = QStringLiteral("a part of the video is not of its size");
                return false;
            }
            partStart = partEnd;
            partEnd = partStart + part.endMs;
            current = part.first.convertToFormat(QImage::Format_RGB32);
            nextChange = 0;
            changed = true;
        }
        if (nextChange < part.changes.size()) {
            QPainter painter(&current);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            while (nextChange < part.changes.size() &&
                   (partStart + part.startMs.at(nextChange + 1)) * fps <= now) {
                const QRect &tile = part.changes.at(nextChange++);
                painter.drawImage(tile.topLeft(), part.last, tile);
                changed = true;
            }
        }
        if (!encoder.add(changed ? &current : nullptr, error))
            return false;
        if (progress && !progress(f + 1, frames)) {
            error->clear();
            return false;
        }
    }
    return encoder.finish(error);
}

} // namespace
#endif

bool videoCodecFor(const QString &path, VideoCodec *codec) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"mp4")
        *codec = VideoCodec::H264;
    else if (suffix == u"webm")
        *codec = VideoCodec::Vp9;
    else
        return false;
    return true;
}

bool saveVideo(const QString &path, const VideoPlan &plan, const Progress &progress,
               QString *error) {
#ifdef TESSALINE_VIDEO_MODULE
    // The program's side: the encoders are a module of their own, loaded by
    // the first video.
    return saveVideoThroughModule(path, plan, progress, error);
#else
    const QString shown = QDir::toNativeSeparators(path);
#ifndef TESSALINE_VIDEO
    Q_UNUSED(plan);
    Q_UNUSED(progress);
    *error =
        QStringLiteral("cannot write %1: this build of the program makes no videos").arg(shown);
    return false;
#else
    VideoCodec codec;
    if (!videoCodecFor(path, &codec)) {
        *error = QStringLiteral("%1 is not a .mp4 or .webm file name").arg(shown);
        return false;
    }
    if (plan.size.width() % 2 || plan.size.height() % 2 || plan.size.isEmpty() ||
        plan.fps < kMinFps || plan.fps > kMaxFps || plan.partCount < 1 || plan.totalMs < 0 ||
        plan.totalMs > kMaxVideoFrames * 1000 / plan.fps) {
        *error = QStringLiteral("nothing to write to %1").arg(shown);
        return false;
    }
    // FFmpeg's own remarks stay out of the command's one-line messages.
    av_log_set_level(AV_LOG_QUIET);
    // The muxer reads its own output back to move the index to the front, so
    // it writes a real file by its name.
    return writeSafelyByName(
        path,
        [&](const QString &temporaryPath, QString *reason) {
            Encoder encoder;
            return encoder.open(temporaryPath, codec, plan.size, plan.fps, reason) &&
                   encodeFrames(encoder, plan, progress, reason);
        },
        error);
#endif
#endif
}

} // namespace exporting
