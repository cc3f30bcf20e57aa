#include "JpegWriter.h"

#include "Error.h"

#include <QFile>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t first
#include <cstdlib>
#include <memory>

#include <jpeglib.h>

// libjpeg's error exit longjmps back into `compress`, whose frame holds only
// plain data; the QImage rows it reads belong to the caller.

namespace kvilbro::tablefiles {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct Job {
    jpeg_compress_struct cinfo;
    ErrorManager error;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    bool created = false;
};

void errorExit(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    std::longjmp(error->jump, 1);
}

void outputMessage(j_common_ptr) {}

// `rows` is an image in the input format (RGB888, Grayscale8 or CMYK8888).
bool compress(Job* job, const QImage* rows, const JpegOptions* options)
{
    if (setjmp(job->error.jump))
        return false;
    jpeg_create_compress(&job->cinfo);
    job->created = true;
    jpeg_compress_struct* cinfo = &job->cinfo;
    jpeg_mem_dest(cinfo, &job->out, &job->outSize);
    cinfo->image_width = JDIMENSION(rows->width());
    cinfo->image_height = JDIMENSION(rows->height());
    if (options->grayscale) {
        cinfo->input_components = 1;
        cinfo->in_color_space = JCS_GRAYSCALE;
    } else if (options->cmyk) {
        cinfo->input_components = 4;
        cinfo->in_color_space = JCS_CMYK;
    } else {
        cinfo->input_components = 3;
        cinfo->in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, options->quality, TRUE);
    if (options->fullColour) {
        cinfo->comp_info[0].h_samp_factor = 1;
        cinfo->comp_info[0].v_samp_factor = 1;
    }
    if (options->progressive)
        jpeg_simple_progression(cinfo);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows->constScanLine(int(cinfo->next_scanline)));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

struct JobDeleter {
    void operator()(Job* job) const
    {
        if (job->created)
            jpeg_destroy_compress(&job->cinfo);
        std::free(job->out);
        delete job;
    }
};

QImage inputRows(const QImage& image, const JpegOptions& options)
{
    if (options.grayscale)
        return image.convertToFormat(QImage::Format_Grayscale8);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (!options.cmyk)
        return rgb;
    // Inverted CMYK without black: the stored C, M, Y bytes are R, G, B, K is 255.
    QImage cmyk(rgb.size(), QImage::Format_RGBX8888);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* in = rgb.constScanLine(y);
        uchar* out = cmyk.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[4 * x] = in[3 * x];
            out[4 * x + 1] = in[3 * x + 1];
            out[4 * x + 2] = in[3 * x + 2];
            out[4 * x + 3] = 255;
        }
    }
    return cmyk;
}

} // namespace

QByteArray encodeJpeg(const QImage& image, const JpegOptions& options)
{
    if (image.isNull())
        throw Error(QStringLiteral("There is no picture to write."));
    const QImage rows = inputRows(image, options);
    std::unique_ptr<Job, JobDeleter> job(new Job());
    job->cinfo.err = jpeg_std_error(&job->error.pub);
    job->error.pub.error_exit = errorExit;
    job->error.pub.output_message = outputMessage;
    if (!compress(job.get(), &rows, &options))
        throw Error(QString::fromLocal8Bit(job->error.message));
    return QByteArray(reinterpret_cast<const char*>(job->out), qsizetype(job->outSize));
}

void writeJpeg(const QImage& image, const QString& path, const JpegOptions& options)
{
    const QByteArray data = encodeJpeg(image, options);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() || !file.flush())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

} // namespace kvilbro::tablefiles
