// qt_change.h: the change protocol of the library written as a Qt 5 program would write it with signals and
// slots (direct connections, one thread).
//
// Volume::Change runs the protocol of BM_NotifiedChange: the range check, two value-type snapshots on the
// stack, a preview signal to the dependants (which may refuse and may record further changes in a list), an ask
// signal to the host (the veto), then an apply or a cancel signal to the dependants and a done signal. The
// direct change is Qt's own: setProperty("value") through the meta-object, with its NOTIFY signal.
#ifndef QENPROPERTIES_BENCH_PEERS_QT_CHANGE_H_
#define QENPROPERTIES_BENCH_PEERS_QT_CHANGE_H_

#include <QObject>
#include <QVector>

namespace qenpeers {

// VolumeState: the snapshot the dependants see.
struct VolumeState {
  int id;
  int value;
};

class Volume : public QObject {
  Q_OBJECT
  Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)

 public:
  Volume(int id, int minimum, int maximum, int value) : id_(id), minimum_(minimum), maximum_(maximum), value_(value) {}

  int value() const { return value_; }
  // The direct change: range check, store, NOTIFY.
  void setValue(int value);
  // The notified change; false when out of range or refused (the value then stays).
  bool change(int value);

 Q_SIGNALS:
  void valueChanged(int value);
  void previewChange(const VolumeState& previous, const VolumeState& next, QVector<VolumeState>* further,
                     bool* refused);
  void askChange(const VolumeState& previous, const VolumeState& next, const QVector<VolumeState>& further,
                 bool* allowed);
  void applyChange(const VolumeState& previous, const VolumeState& next);
  void cancelChange(const VolumeState& previous, const VolumeState& next);
  void changeDone();

 private:
  int id_;
  int minimum_;
  int maximum_;
  int value_;
};

// Dependant counts what it is told; it allows every change.
class Dependant : public QObject {
  Q_OBJECT

 public:
  int calls = 0;

 public Q_SLOTS:
  void preview(const VolumeState& previous, const VolumeState& next, QVector<VolumeState>* further, bool* refused);
  void apply(const VolumeState& previous, const VolumeState& next);
  void cancel(const VolumeState& previous, const VolumeState& next);
  void follow(int value);
};

// Host allows every change and counts the notifications that end.
class Host : public QObject {
  Q_OBJECT

 public:
  int done = 0;

 public Q_SLOTS:
  void ask(const VolumeState& previous, const VolumeState& next, const QVector<VolumeState>& further, bool* allowed);
  void finish();
};

}  // namespace qenpeers

#endif  // QENPROPERTIES_BENCH_PEERS_QT_CHANGE_H_
