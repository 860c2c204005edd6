#include "ui/animationbox.h"

#include <QBuffer>
#include <QCache>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

AnimationBox::AnimationBox(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    frameTimer.setInterval(20);
    connect(&frameTimer, &QTimer::timeout, this, &AnimationBox::advanceFrames);
    clock.start();
}

int AnimationBox::indexOf(int id) const
{
    for (int i = 0; i < objects.size(); ++i)
        if (objects[i].id == id)
            return i;
    return -1;
}

AnimationBox::Object *AnimationBox::find(int id)
{
    const int i = indexOf(id);
    return i < 0 ? nullptr : &objects[i];
}

const AnimationBox::Object *AnimationBox::find(int id) const
{
    const int i = indexOf(id);
    return i < 0 ? nullptr : &objects[i];
}

void AnimationBox::changed(Object *object)
{
    object->prepared = QImage();
    bool animated = false;
    for (const Object &o : std::as_const(objects))
        animated = animated || o.frames.size() > 1;
    if (animated && !frameTimer.isActive())
        frameTimer.start();
    else if (!animated)
        frameTimer.stop();
    update();
}

int AnimationBox::addObject(const QString &name, int x, int y, bool visible)
{
    Object object;
    object.id = nextId++;
    object.name = name;
    object.position = QPoint(x, y);
    object.visible = visible;
    objects.append(object);
    update();
    return object.id;
}

bool AnimationBox::removeObject(int id)
{
    const int i = indexOf(id);
    if (i < 0)
        return false;
    objects.removeAt(i);
    if (hovered == id)
        hovered = 0;
    bool animated = false;
    for (const Object &o : std::as_const(objects))
        animated = animated || o.frames.size() > 1;
    if (!animated)
        frameTimer.stop();
    update();
    return true;
}

QList<int> AnimationBox::objectIds() const
{
    QList<int> ids;
    for (const Object &o : objects)
        ids.append(o.id);
    return ids;
}

QString AnimationBox::nameOf(int id) const
{
    const Object *o = find(id);
    return o ? o->name : QString();
}

int AnimationBox::findObject(const QString &name) const
{
    // Numbers only grow, so the highest number is the newest object, wherever it lies in the stack.
    int newest = -1;
    for (const Object &o : objects)
        if (o.name == name && o.id > newest)
            newest = o.id;
    return newest;
}

QRect AnimationBox::objectRect(const Object &object) const
{
    return QRect(object.position, displaySize(object.id));
}

int AnimationBox::objectAt(const QPoint &point) const
{
    for (int i = objects.size() - 1; i >= 0; --i) {
        const Object &o = objects[i];
        if (o.visible && objectRect(o).contains(point))
            return o.id;
    }
    return 0;
}

void AnimationBox::setObjectPicture(int id, const QByteArray &bytes)
{
    Object *o = find(id);
    if (!o)
        return;
    o->frames.clear();
    o->frame = 0;
    if (!bytes.isEmpty()) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        for (;;) {
            Frame frame;
            frame.image = reader.read();
            if (frame.image.isNull())
                break;
            frame.image = frame.image.convertToFormat(QImage::Format_ARGB32);
            const int delay = reader.nextImageDelay();
            frame.delay = delay > 0 ? delay : 100;
            o->frames.append(frame);
            if (!reader.supportsAnimation() || !reader.canRead())
                break;
        }
    }
    o->frameShownAt = clock.elapsed();
    changed(o);
}

void AnimationBox::setObjectImage(int id, const QImage &image)
{
    Object *o = find(id);
    if (!o)
        return;
    o->frames.clear();
    o->frame = 0;
    if (!image.isNull())
        o->frames.append(Frame{image.convertToFormat(QImage::Format_ARGB32), 100});
    changed(o);
}

void AnimationBox::setObjectText(int id, const QString &text, const QFont &font, const QColor &colour)
{
    const QFontMetrics metrics(font);
    const QSize size = metrics.size(0, text).expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignLeft | Qt::AlignTop, text);
    painter.end();
    setObjectImage(id, text.isEmpty() ? QImage() : image);
}

QImage AnimationBox::objectImage(int id) const
{
    const Object *o = find(id);
    return o && !o->frames.isEmpty() ? o->frames[o->frame].image : QImage();
}

int AnimationBox::frameCount(int id) const
{
    const Object *o = find(id);
    return o ? int(o->frames.size()) : 0;
}

int AnimationBox::currentFrame(int id) const
{
    const Object *o = find(id);
    return o ? o->frame : 0;
}

void AnimationBox::setObjectTransparentColour(int id, const QColor &colour)
{
    if (Object *o = find(id)) {
        o->transparentColour = colour;
        changed(o);
    }
}

void AnimationBox::setObjectFrameDelay(int id, int frame, int milliseconds)
{
    Object *o = find(id);
    if (!o || o->frames.isEmpty())
        return;
    const int index = frame < 0 ? int(o->frames.size()) - 1 : frame;
    if (index < o->frames.size())
        o->frames[index].delay = qMax(1, milliseconds);
}

int AnimationBox::objectFrameDelay(int id, int frame) const
{
    const Object *o = find(id);
    if (!o || o->frames.isEmpty())
        return 0;
    const int index = frame < 0 ? int(o->frames.size()) - 1 : frame;
    return index < o->frames.size() ? o->frames[index].delay : 0;
}

QSize AnimationBox::naturalSize(int id) const
{
    const QImage image = objectImage(id);
    return image.isNull() ? QSize(0, 0) : image.size();
}

void AnimationBox::setObjectScale(int id, int horizontalThousandths, int verticalThousandths)
{
    if (Object *o = find(id)) {
        o->scaleX = horizontalThousandths;
        o->scaleY = verticalThousandths;
        changed(o);
    }
}

QSize AnimationBox::displaySize(int id) const
{
    const Object *o = find(id);
    if (!o)
        return {};
    const QSize natural = naturalSize(id);
    return QSize(qMax(0, qRound(natural.width() * (o->scaleX / 1000.0))),
                 qMax(0, qRound(natural.height() * (o->scaleY / 1000.0))));
}

QPoint AnimationBox::objectPosition(int id) const
{
    const Object *o = find(id);
    return o ? o->position : QPoint();
}

void AnimationBox::moveObject(int id, int x, int y)
{
    if (Object *o = find(id)) {
        o->position = QPoint(x, y);
        update();
    }
}

void AnimationBox::setObjectVisible(int id, bool visible)
{
    if (Object *o = find(id)) {
        o->visible = visible;
        update();
    }
}

bool AnimationBox::objectVisible(int id) const
{
    const Object *o = find(id);
    return o && o->visible;
}

void AnimationBox::setObjectTransparency(int id, int percent)
{
    if (Object *o = find(id)) {
        o->transparency = qBound(0, percent, 100);
        update();
    }
}

int AnimationBox::objectTransparency(int id) const
{
    const Object *o = find(id);
    return o ? o->transparency : 0;
}

void AnimationBox::setObjectBrightness(int id, int percent)
{
    if (Object *o = find(id)) {
        o->brightness = percent;
        changed(o);
    }
}

int AnimationBox::objectBrightness(int id) const
{
    const Object *o = find(id);
    return o ? o->brightness : 0;
}

void AnimationBox::raiseObject(int id)
{
    const int i = indexOf(id);
    if (i >= 0) {
        objects.move(i, objects.size() - 1);
        update();
    }
}

void AnimationBox::lowerObject(int id)
{
    const int i = indexOf(id);
    if (i >= 0) {
        objects.move(i, 0);
        update();
    }
}

void AnimationBox::setBackgroundPicture(const QByteArray &bytes)
{
    backgroundBytes = bytes;
    backgroundBytesPending = false;
    background = QImage();
    if (!bytes.isEmpty())
        background.loadFromData(bytes);
    update();
}

void AnimationBox::setBackgroundPicture(const QByteArray &bytes, const QImage &decoded)
{
    backgroundBytes = bytes;
    backgroundBytesPending = false;
    background = decoded;
    update();
}

void AnimationBox::setBackgroundImage(const QImage &image)
{
    background = image;
    backgroundBytes.clear();
    // Encoding a whole window's slice takes longer than drawing it; it waits until someone asks.
    backgroundBytesPending = !image.isNull();
    update();
}

QByteArray AnimationBox::backgroundPicture() const
{
    if (backgroundBytesPending) {
        backgroundBytesPending = false;
        QBuffer buffer(&backgroundBytes);
        buffer.open(QIODevice::WriteOnly);
        background.save(&buffer, "PNG");
    }
    return backgroundBytes;
}

void AnimationBox::setBackgroundMode(BackgroundMode newMode)
{
    mode = newMode;
    update();
}

void AnimationBox::setBackgroundColour(const QColor &newColour)
{
    colour = newColour;
    update();
}

namespace {

// A re-dressing builds the same decorations again at the same sizes; the scaled pictures are kept
// across it, so that one change of background does not scale every frame line again.
struct PreparedKey
{
    qint64 picture;
    QSize size;
    QRgb transparentColour;
    bool keyed;
    int brightness;
    friend bool operator==(const PreparedKey &a, const PreparedKey &b) = default;
};

size_t qHash(const PreparedKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.picture, key.size.width(), key.size.height(), key.transparentColour, key.keyed,
                      key.brightness);
}

QCache<PreparedKey, QImage> &preparedPictures()
{
    // In kilobytes: enough for the decorations of every window of the program.
    static QCache<PreparedKey, QImage> cache(24 * 1024);
    return cache;
}

} // namespace

const QImage &AnimationBox::preparedImage(const Object &object) const
{
    if (!object.prepared.isNull() || object.frames.isEmpty())
        return object.prepared;
    const QImage &source = object.frames[object.frame].image;
    const QSize size = displaySize(object.id);
    if (size.isEmpty())
        return object.prepared;
    const PreparedKey key{source.cacheKey(), size, object.transparentColour.rgb(), object.transparentColour.isValid(),
                          object.brightness};
    if (const QImage *kept = preparedPictures().object(key)) {
        object.prepared = *kept;
        return object.prepared;
    }
    QImage image = source;
    if (object.transparentColour.isValid() || object.brightness != 0) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb colourKey = object.transparentColour.rgb() & 0xffffff;
        const bool keyed = object.transparentColour.isValid();
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                QRgb p = line[x];
                if (keyed && (p & 0xffffff) == colourKey && qAlpha(p) > 0) {
                    line[x] = 0;
                    continue;
                }
                if (object.brightness != 0) {
                    auto lift = [&](int c) { return qBound(0, c + c * object.brightness / 100, 255); };
                    p = qRgba(lift(qRed(p)), lift(qGreen(p)), lift(qBlue(p)), qAlpha(p));
                    line[x] = p;
                }
            }
        }
    }
    if (size != image.size())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    object.prepared = image;
    preparedPictures().insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes() / 1024));
    return object.prepared;
}

void AnimationBox::render(QPainter &painter) const
{
    if (colour.isValid())
        painter.fillRect(rect(), colour);
    if (!background.isNull()) {
        if (mode == BackgroundMode::Stretched)
            painter.drawImage(rect(), background);
        else
            painter.drawImage(0, 0, background);
    }
    for (const Object &o : objects) {
        if (!o.visible || o.transparency >= 100)
            continue;
        const QImage &image = preparedImage(o);
        if (image.isNull())
            continue;
        painter.setOpacity((100 - o.transparency) / 100.0);
        painter.drawImage(o.position, image);
    }
    painter.setOpacity(1);
}

QImage AnimationBox::snapshotImage(const QRect &area) const
{
    if (area.isEmpty())
        return {};
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-area.topLeft());
    painter.setClipRect(rect());
    render(painter);
    painter.end();
    image.convertTo(QImage::Format_ARGB32); // in its own memory: no second picture to fault in
    return image;
}

QByteArray AnimationBox::snapshot(const QRect &area) const
{
    const QImage image = snapshotImage(area);
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void AnimationBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    render(painter);
}

void AnimationBox::advanceFrames()
{
    const qint64 now = clock.elapsed();
    bool moved = false;
    for (Object &o : objects) {
        if (o.frames.size() < 2)
            continue;
        while (now - o.frameShownAt >= o.frames[o.frame].delay) {
            o.frameShownAt += o.frames[o.frame].delay;
            o.frame = (o.frame + 1) % int(o.frames.size());
            o.prepared = QImage();
            moved = moved || o.visible;
            if (now - o.frameShownAt > 10000) // a long pause (hidden window): start afresh
                o.frameShownAt = now;
        }
    }
    if (moved)
        update();
}

void AnimationBox::hoverAt(int id)
{
    if (id == hovered)
        return;
    const int previous = hovered;
    hovered = id;
    if (previous > 0)
        emit objectLeft(previous);
    if (id > 0)
        emit objectEntered(id);
}

void AnimationBox::mouseMoveEvent(QMouseEvent *event)
{
    hoverAt(objectAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void AnimationBox::leaveEvent(QEvent *event)
{
    hoverAt(0);
    QWidget::leaveEvent(event);
}

void AnimationBox::mousePressEvent(QMouseEvent *event)
{
    emit objectPressed(objectAt(event->position().toPoint()), event->button(), event->globalPosition().toPoint());
}

void AnimationBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit objectReleased(objectAt(event->position().toPoint()), event->button(), event->globalPosition().toPoint());
}

void AnimationBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit objectDoubleClicked(objectAt(event->position().toPoint()), event->button());
}
