#pragma once
// A canvas of numbered picture objects drawn over its own background: each object has a name, a
// picture (an animated GIF plays), a position, a scale in thousandths, a transparency and a
// brightness in percent, a visibility and a place in the stacking order. Pointer events over an
// object are reported with its number; 0 stands for the bare canvas.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class AnimationBox : public QWidget
{
    Q_OBJECT
public:
    enum class BackgroundMode { Normal, Stretched };

    explicit AnimationBox(QWidget *parent = nullptr);

    // A new object on top of the others, without a picture; returns its number (1, 2, ...).
    int addObject(const QString &name, int x, int y, bool visible = true);
    bool removeObject(int id);
    int objectCount() const { return int(objects.size()); }
    bool hasObject(int id) const { return indexOf(id) >= 0; }
    // The numbers from the bottom of the stack to the top.
    QList<int> objectIds() const;
    QString nameOf(int id) const;
    // The newest object with that name, -1 when there is none.
    int findObject(const QString &name) const;
    // The topmost visible object under the point, 0 when the point shows the bare canvas.
    int objectAt(const QPoint &point) const;

    // Picture bytes of any image format; an animated GIF keeps all its frames and plays.
    void setObjectPicture(int id, const QByteArray &bytes);
    void setObjectImage(int id, const QImage &image);
    // Draws the text in the font and colour and makes it the object's picture.
    void setObjectText(int id, const QString &text, const QFont &font, const QColor &colour);
    // The present frame as loaded, before scaling and effects.
    QImage objectImage(int id) const;
    int frameCount(int id) const;
    int currentFrame(int id) const;
    // Pixels of this colour become see-through (every frame).
    void setObjectTransparentColour(int id, const QColor &colour);
    // How long a frame stays, in milliseconds; frame -1 is the last one.
    void setObjectFrameDelay(int id, int frame, int milliseconds);
    int objectFrameDelay(int id, int frame) const;

    QSize naturalSize(int id) const;
    void setObjectScale(int id, int horizontalThousandths, int verticalThousandths);
    QSize displaySize(int id) const;
    QPoint objectPosition(int id) const;
    void moveObject(int id, int x, int y);
    void setObjectVisible(int id, bool visible);
    bool objectVisible(int id) const;
    // 0 opaque ... 100 invisible.
    void setObjectTransparency(int id, int percent);
    int objectTransparency(int id) const;
    // 0 as loaded; 20 raises each colour channel by a fifth of itself, at most to 255.
    void setObjectBrightness(int id, int percent);
    int objectBrightness(int id) const;
    void raiseObject(int id);
    void lowerObject(int id);

    void setBackgroundPicture(const QByteArray &bytes);
    // The same picture already decoded by the caller, who shows it on several canvases.
    void setBackgroundPicture(const QByteArray &bytes, const QImage &decoded);
    void setBackgroundImage(const QImage &image);
    // The bytes given, or for a picture set as an image its PNG bytes, made when first asked for.
    QByteArray backgroundPicture() const;
    QImage backgroundImage() const { return background; }
    void setBackgroundMode(BackgroundMode mode);
    BackgroundMode backgroundMode() const { return mode; }
    // Painted under the background picture; an invalid colour leaves the canvas see-through.
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const { return colour; }

    // The rectangle of the canvas as it is drawn (background and visible objects), also while the
    // canvas is hidden. Area outside the canvas stays empty.
    QImage snapshotImage(const QRect &rect) const;
    // The same as PNG bytes; empty for an empty rectangle.
    QByteArray snapshot(const QRect &rect) const;

signals:
    void objectEntered(int id);
    void objectLeft(int id);
    void objectPressed(int id, Qt::MouseButton button, const QPoint &globalPosition);
    void objectReleased(int id, Qt::MouseButton button, const QPoint &globalPosition);
    void objectDoubleClicked(int id, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    struct Frame
    {
        QImage image;
        int delay = 100;
    };
    struct Object
    {
        int id = 0;
        QString name;
        QPoint position;
        bool visible = true;
        QList<Frame> frames;
        int frame = 0;
        qint64 frameShownAt = 0;
        int scaleX = 1000, scaleY = 1000;
        int transparency = 0;
        int brightness = 0;
        QColor transparentColour;
        mutable QImage prepared; // scaled, keyed and brightened; rebuilt when empty
    };

    int indexOf(int id) const;
    Object *find(int id);
    const Object *find(int id) const;
    void changed(Object *object);
    QRect objectRect(const Object &object) const;
    void render(QPainter &painter) const;
    const QImage &preparedImage(const Object &object) const;
    void advanceFrames();
    void hoverAt(int id);

    QList<Object> objects;
    int nextId = 1;
    int hovered = 0;
    mutable QByteArray backgroundBytes;
    mutable bool backgroundBytesPending = false; // set from an image, not yet encoded
    QImage background;
    BackgroundMode mode = BackgroundMode::Normal;
    QColor colour;
    QTimer frameTimer;
    QElapsedTimer clock;
};
