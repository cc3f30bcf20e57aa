#include "JpegDecoder.h"

#include "Error.h"
#include "PictureLimits.h"
#include "PictureMessages.h"

#include <QIODevice>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t first
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>
#include <sys/mman.h>

// libjpeg reports a fatal error by calling error_exit, which must not return.
// Ours longjmps back into the step that called libjpeg. Only the small step
// functions below call setjmp, and no object with a destructor lives in their
// frames or in the callbacks libjpeg calls, so the jump skips no cleanup.

namespace kvilbro {

namespace {

// Far more than any real progressive file has; a crafted file with thousands
// of scans would otherwise keep the decoder busy for minutes.
constexpr int MaxScans = 256;
constexpr size_t InputBufferSize = 64 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct SourceManager {
    jpeg_source_mgr pub;
    QIODevice* device;
    JOCTET* buffer;
    bool startOfFile;
    // The file ended without its end marker; an end marker was made up.
    bool sawEnd;
};

struct ProgressManager {
    jpeg_progress_mgr pub;
};

// Everything libjpeg needs, kept in one plain struct on the heap so that the
// step functions' frames hold nothing but pointers.
struct Job {
    jpeg_decompress_struct cinfo;
    ErrorManager error;
    SourceManager source;
    ProgressManager progress;
    JOCTET buffer[InputBufferSize];
    bool created;
    qint64 decodingBytes;
};

[[noreturn]] void jumpOut(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(error->jump, 1);
}

void errorExit(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<ErrorManager*>(cinfo->err);
    // Whatever went wrong after the data ran out, the file was cut short.
    const auto* source = reinterpret_cast<const SourceManager*>(reinterpret_cast<j_decompress_ptr>(cinfo)->src);
    if (source && source->sawEnd && cinfo->err->msg_code != JERR_NO_BACKING_STORE)
        cinfo->err->msg_code = JWRN_JPEG_EOF;
    (*cinfo->err->format_message)(cinfo, error->message);
    jumpOut(cinfo);
}

void failWith(j_common_ptr cinfo, const char* text)
{
    auto* error = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(error->message, sizeof error->message, "%s", text);
    cinfo->err->msg_code = 0; // none of libjpeg's
    jumpOut(cinfo);
}

void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    // The data of a scan ran out: libjpeg would fill the rest with grey and
    // carry on; we refuse the half-drawn picture.
    if (cinfo->err->msg_code == JWRN_HIT_MARKER)
        errorExit(cinfo);
    cinfo->err->num_warnings++;
}

void outputMessage(j_common_ptr) {} // never to stderr

void initSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<SourceManager*>(cinfo->src);
    const qint64 got = source->device->read(reinterpret_cast<char*>(source->buffer), InputBufferSize);
    if (got < 0)
        ERREXIT(cinfo, JERR_FILE_READ);
    if (got == 0) {
        if (source->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // Make up an end marker and let libjpeg decide: where data is still
        // missing it reports "premature end of data segment", which we make
        // fatal, and a file cut only before its end marker decodes whole.
        source->sawEnd = true;
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        source->pub.next_input_byte = source->buffer;
        source->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    source->startOfFile = false;
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = size_t(got);
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = cinfo->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        (*source->fill_input_buffer)(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void termSource(j_decompress_ptr) {}

void progressMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans)
        failWith(cinfo, "The JPEG file has too many scans to be a picture");
}

qint64 roundedUp(qint64 value, qint64 step)
{
    return (value + step - 1) / step * step;
}

// The memory decoding takes at the scale chosen: the picture at 4 bytes a
// pixel, and for a file that libjpeg holds whole while it reads (several
// scans) every coefficient at full size, whatever the scale: 2 bytes each, 64
// a block, the rows and columns of blocks rounded up to whole MCUs as libjpeg
// allocates them.
qint64 decodingBytes(j_decompress_ptr cinfo)
{
    qint64 bytes = qint64(cinfo->output_width) * cinfo->output_height * 4;
    if (jpeg_has_multiple_scans(cinfo) || cinfo->buffered_image) {
        for (int c = 0; c < cinfo->num_components; ++c) {
            const jpeg_component_info& component = cinfo->comp_info[c];
            const qint64 columns = roundedUp(component.width_in_blocks, component.h_samp_factor);
            const qint64 rows = roundedUp(component.height_in_blocks, component.v_samp_factor);
            bytes += columns * rows * DCTSIZE2 * qint64(sizeof(JCOEF));
        }
    }
    return bytes;
}

// Step 1: create the decompressor and read the header, choosing the output
// colours. False when libjpeg failed; the message is in job->error.
bool readHeader(Job* job, qint64 maxWorkingMemory)
{
    if (setjmp(job->error.jump))
        return false;
    jpeg_create_decompress(&job->cinfo);
    job->created = true;
    job->cinfo.mem->max_memory_to_use = long(maxWorkingMemory);
    job->cinfo.src = &job->source.pub;
    job->cinfo.progress = &job->progress.pub;
    jpeg_read_header(&job->cinfo, TRUE);
    switch (job->cinfo.jpeg_color_space) {
    case JCS_CMYK:
    case JCS_YCCK:
        job->cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        // Straight into QImage::Format_RGB32, whose bytes are B, G, R, X in memory.
        job->cinfo.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        break;
    }
    return true;
}

// Step 2: the scale, and what decoding at it takes. False when libjpeg failed.
bool chooseScale(Job* job, QSize atLeast)
{
    if (setjmp(job->error.jump))
        return false;
    // The smallest of libjpeg's DCT scales (1/8, 1/4, 1/2) that still gives at
    // least the size asked for: far less to decode and to hold.
    if (atLeast.isValid() && !atLeast.isEmpty()) {
        for (unsigned denom : {8u, 4u, 2u}) {
            const unsigned w = (job->cinfo.image_width + denom - 1) / denom;
            const unsigned h = (job->cinfo.image_height + denom - 1) / denom;
            if (w >= unsigned(atLeast.width()) && h >= unsigned(atLeast.height())) {
                job->cinfo.scale_num = 1;
                job->cinfo.scale_denom = denom;
                break;
            }
        }
    }
    jpeg_calc_output_dimensions(&job->cinfo);
    job->decodingBytes = decodingBytes(&job->cinfo);
    return true;
}

void cmykToRgb32(const JSAMPLE* in, QRgb* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        // Adobe writes CMYK inverted; the rest of the world does not.
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// A file of several scans that ended early stops between two scans without
// any warning; the picture would then lack detail or a whole colour.
bool scansMissing(j_decompress_ptr cinfo)
{
    if (!jpeg_has_multiple_scans(cinfo))
        return false;
    if (!cinfo->progressive_mode)
        return true; // separate scans per colour: we cannot tell which came
    // Every coefficient of every component refined down to its last bit.
    for (int c = 0; c < cinfo->num_components; ++c) {
        for (int k = 0; k < DCTSIZE2; ++k) {
            if (cinfo->coef_bits[c][k] != 0)
                return true;
        }
    }
    return false;
}

// Step 3: decode every row into `bits`. False when libjpeg failed.
bool decodeRows(Job* job, uchar* bits, qsizetype bytesPerLine)
{
    if (setjmp(job->error.jump))
        return false;
    j_decompress_ptr cinfo = &job->cinfo;
    jpeg_start_decompress(cinfo);
    const bool cmyk = cinfo->out_color_space == JCS_CMYK;
    JSAMPARRAY cmykRows = nullptr;
    if (cmyk) {
        cmykRows = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                               cinfo->output_width * 4, JDIMENSION(cinfo->rec_outbuf_height));
    }
    JSAMPROW rows[16];
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION first = cinfo->output_scanline;
        JDIMENSION count = cinfo->output_height - first;
        if (count > JDIMENSION(cinfo->rec_outbuf_height))
            count = JDIMENSION(cinfo->rec_outbuf_height);
        if (count > 16)
            count = 16;
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = cmyk ? cmykRows[i] : bits + qsizetype(first + i) * bytesPerLine;
        const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
        if (got == 0)
            failWith(reinterpret_cast<j_common_ptr>(cinfo), "Premature end of JPEG file");
        if (cmyk) {
            for (JDIMENSION i = 0; i < got; ++i) {
                cmykToRgb32(cmykRows[i], reinterpret_cast<QRgb*>(bits + qsizetype(first + i) * bytesPerLine),
                            cinfo->output_width, cinfo->saw_Adobe_marker);
            }
        }
    }
    // Before finishing, which frees the record of the scans received.
    if (job->source.sawEnd && scansMissing(cinfo))
        failWith(reinterpret_cast<j_common_ptr>(cinfo), "Premature end of JPEG file");
    jpeg_finish_decompress(cinfo);
    return true;
}

// A large picture is held in memory the kernel may back with huge pages:
// faulting in 96 MB for a 24-megapixel picture page by page costs more than
// decoding it.
QImage allocatePicture(QSize size)
{
    constexpr size_t HugePage = size_t(2) << 20;
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(size.height());
    if (bytes < HugePage)
        return QImage(size, QImage::Format_RGB32);
    const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* memory = std::aligned_alloc(HugePage, rounded);
    if (!memory)
        return QImage();
#ifdef MADV_HUGEPAGE
    ::madvise(memory, rounded, MADV_HUGEPAGE); // only advice: no huge pages, no harm
#endif
    return QImage(
        static_cast<uchar*>(memory), size.width(), size.height(), bytesPerLine, QImage::Format_RGB32,
        [](void* data) { std::free(data); }, memory);
}

struct JobDeleter {
    void operator()(Job* job) const
    {
        if (job->created)
            jpeg_destroy_decompress(&job->cinfo);
        delete job;
    }
};

[[noreturn]] void fail(const Job& job)
{
    throw Error(QString::fromLocal8Bit(job.error.message), Error::Kind::Picture);
}

} // namespace

QImage decodeJpeg(QIODevice& device, const QString& fileName, qint64 maxDecodedBytes, const BoxFor& boxFor)
{
    std::unique_ptr<Job, JobDeleter> job(new Job());
    jpeg_decompress_struct& cinfo = job->cinfo;
    cinfo.err = jpeg_std_error(&job->error.pub);
    job->error.pub.error_exit = errorExit;
    job->error.pub.emit_message = emitMessage;
    job->error.pub.output_message = outputMessage;
    job->source.pub.init_source = initSource;
    job->source.pub.fill_input_buffer = fillInputBuffer;
    job->source.pub.skip_input_data = skipInputData;
    job->source.pub.resync_to_restart = jpeg_resync_to_restart;
    job->source.pub.term_source = termSource;
    job->source.device = &device;
    job->source.buffer = job->buffer;
    job->source.startOfFile = true;
    job->progress.pub.progress_monitor = progressMonitor;

    // Refused from the header, before anything large is allocated. libjpeg is
    // told the bound as well, for whatever else it might want: past it, it
    // asks for a disk buffer, which it has none of, and fails.
    if (!readHeader(job.get(), maxDecodedBytes))
        fail(*job);
    const QSize natural(int(cinfo.image_width), int(cinfo.image_height));
    if (!chooseScale(job.get(), boxFor ? boxFor(natural) : QSize()))
        fail(*job);
    if (job->decodingBytes > maxDecodedBytes)
        throwTooLarge(cinfo.image_width, cinfo.image_height, maxDecodedBytes, fileName);

    QImage image = allocatePicture(QSize(int(cinfo.output_width), int(cinfo.output_height)));
    if (image.isNull())
        throw Error(picturemessages::notEnoughMemory(), Error::Kind::Picture);
    if (!decodeRows(job.get(), image.bits(), image.bytesPerLine())) {
        // libjpeg asks for a disk buffer when its working memory would pass the bound.
        if (job->cinfo.err->msg_code == JERR_NO_BACKING_STORE)
            throwTooLarge(cinfo.image_width, cinfo.image_height, maxDecodedBytes, fileName);
        fail(*job);
    }
    return image;
}

} // namespace kvilbro
