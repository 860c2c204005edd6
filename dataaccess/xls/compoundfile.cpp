#include "dataaccess/xls/compoundfile.h"

// GLib names a structure member "signals", which Qt defines as a keyword.
#undef signals
#include <gsf/gsf.h>

#include <mutex>

namespace {

void initGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged file makes the compound file reader complain on the console; the caller
        // learns of it from the answer.
        g_log_set_handler("libgsf:msole", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                          [](const gchar *, GLogLevelFlags, const gchar *, gpointer) {}, nullptr);
    });
}

// Owns one GObject reference.
template<typename T>
struct GRef
{
    T *p = nullptr;
    explicit GRef(T *object = nullptr) : p(object) {}
    ~GRef()
    {
        if (p)
            g_object_unref(p);
    }
    GRef(const GRef &) = delete;
    GRef &operator=(const GRef &) = delete;
    T *get() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

GsfInfile *openCompound(const QByteArray &bytes, GsfInput **input)
{
    initGsf();
    *input = gsf_input_memory_new(reinterpret_cast<const guint8 *>(bytes.constData()), bytes.size(),
                                  FALSE);
    if (!*input)
        return nullptr;
    GError *gerror = nullptr;
    GsfInfile *infile = gsf_infile_msole_new(*input, &gerror);
    if (gerror)
        g_error_free(gerror);
    return infile;
}

bool isStorage(GsfInput *child)
{
    return GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
}

void copyClassId(GsfInfile *in, GsfOutfile *out)
{
    guint8 clsid[16];
    if (GSF_IS_INFILE_MSOLE(in) && GSF_IS_OUTFILE_MSOLE(out)
        && gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(in), clsid))
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out), clsid);
}

bool copyChildren(GsfInfile *in, GsfOutfile *out, const char *skip)
{
    const int count = gsf_infile_num_children(in);
    for (int i = 0; i < count; ++i) {
        const char *name = gsf_infile_name_by_index(in, i);
        if (!name || (skip && g_ascii_strcasecmp(name, skip) == 0))
            continue;
        GRef<GsfInput> child(gsf_infile_child_by_index(in, i));
        if (!child)
            return false;
        const bool storage = isStorage(child.get());
        GRef<GsfOutput> copy(gsf_outfile_new_child(out, name, storage));
        if (!copy)
            return false;
        bool ok;
        if (storage) {
            copyClassId(GSF_INFILE(child.get()), GSF_OUTFILE(copy.get()));
            ok = copyChildren(GSF_INFILE(child.get()), GSF_OUTFILE(copy.get()), nullptr);
        } else {
            ok = gsf_input_copy(child.get(), copy.get());
        }
        ok = gsf_output_close(copy.get()) && ok;
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

bool readWorkbookStream(const QByteArray &file, QByteArray *workbook, QString *error)
{
    GsfInput *rawInput = nullptr;
    GRef<GsfInfile> infile(openCompound(file, &rawInput));
    GRef<GsfInput> input(rawInput);
    if (!infile) {
        setError(error, QStringLiteral("the file is not an Excel workbook"));
        return false;
    }
    GRef<GsfInput> stream;
    bool olderBook = false;
    const int count = gsf_infile_num_children(infile.get());
    for (int i = 0; i < count && !stream; ++i) {
        const char *name = gsf_infile_name_by_index(infile.get(), i);
        if (name && g_ascii_strcasecmp(name, "Workbook") == 0) {
            GRef<GsfInput> child(gsf_infile_child_by_index(infile.get(), i));
            if (child && !isStorage(child.get()))
                std::swap(stream.p, child.p);
        } else if (name && g_ascii_strcasecmp(name, "Book") == 0) {
            olderBook = true;
        }
    }
    if (!stream) {
        setError(error, olderBook ? QStringLiteral("the workbook is older than Excel 97 (BIFF5)")
                                  : QStringLiteral("the file holds no workbook stream"));
        return false;
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || size > file.size()) {
        setError(error, QStringLiteral("the workbook stream is damaged"));
        return false;
    }
    workbook->resize(size);
    if (size > 0
        && !gsf_input_read(stream.get(), size, reinterpret_cast<guint8 *>(workbook->data()))) {
        workbook->clear();
        setError(error, QStringLiteral("the workbook stream is cut short"));
        return false;
    }
    return true;
}

bool buildCompoundFile(const QByteArray &workbook, const QByteArray &original, QByteArray *file,
                       QString *error)
{
    initGsf();
    GRef<GsfOutput> sink(gsf_output_memory_new());
    GRef<GsfOutfile> outfile(gsf_outfile_msole_new(sink.get()));
    if (!outfile) {
        setError(error, QStringLiteral("cannot build the compound file"));
        return false;
    }
    bool ok = true;
    {
        GRef<GsfOutput> stream(gsf_outfile_new_child(outfile.get(), "Workbook", FALSE));
        ok = stream
             && gsf_output_write(stream.get(), workbook.size(),
                                 reinterpret_cast<const guint8 *>(workbook.constData()));
        ok = stream && gsf_output_close(stream.get()) && ok;
    }
    if (ok && !original.isEmpty()) {
        GsfInput *rawInput = nullptr;
        GRef<GsfInfile> infile(openCompound(original, &rawInput));
        GRef<GsfInput> input(rawInput);
        ok = infile && copyChildren(infile.get(), outfile.get(), "Workbook");
        if (infile)
            copyClassId(infile.get(), outfile.get());
    }
    ok = gsf_output_close(GSF_OUTPUT(outfile.get())) && ok;
    if (!ok) {
        setError(error, QStringLiteral("cannot build the compound file"));
        return false;
    }
    const gsf_off_t size = gsf_output_size(sink.get());
    const guint8 *bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    if (!bytes || size <= 0) {
        setError(error, QStringLiteral("cannot build the compound file"));
        return false;
    }
    *file = QByteArray(reinterpret_cast<const char *>(bytes), size);
    return true;
}
