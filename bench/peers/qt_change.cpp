// qt_change.cpp: the Qt 5 signals-and-slots peer of the change benchmarks.
//
// BM_QtNotifiedChange   Volume::change with two dependants connected to preview, apply and cancel and a host
//                       connected to ask and done: the protocol of BM_NotifiedChange.
// BM_QtDirectChange     setProperty("value") with two dependants connected to the NOTIFY signal.
#include "qt_change.h"

#include <benchmark/benchmark.h>

#include <QVariant>

#include "../alloc_counter.h"

namespace qenpeers {

void Volume::setValue(int value) {
  if (value < minimum_ || value > maximum_) return;
  value_ = value;
  Q_EMIT valueChanged(value);
}

bool Volume::change(int value) {
  if (value < minimum_ || value > maximum_) return false;
  const VolumeState previous{id_, value_};
  const VolumeState next{id_, value};
  QVector<VolumeState> further;
  bool refused = false;
  Q_EMIT previewChange(previous, next, &further, &refused);
  if (refused) return false;
  bool allowed = true;
  Q_EMIT askChange(previous, next, further, &allowed);
  if (allowed) {
    value_ = value;
    Q_EMIT applyChange(previous, next);
  } else {
    Q_EMIT cancelChange(previous, next);
  }
  Q_EMIT changeDone();
  return allowed;
}

void Dependant::preview(const VolumeState&, const VolumeState&, QVector<VolumeState>*, bool* refused) {
  if (!*refused) ++calls;
}
void Dependant::apply(const VolumeState&, const VolumeState&) { ++calls; }
void Dependant::cancel(const VolumeState&, const VolumeState&) { ++calls; }
void Dependant::follow(int) { ++calls; }

void Host::ask(const VolumeState&, const VolumeState&, const QVector<VolumeState>&, bool* allowed) { *allowed = true; }
void Host::finish() { ++done; }

}  // namespace qenpeers

namespace {

using qenpeers::Dependant;
using qenpeers::Host;
using qenpeers::Volume;

void BM_QtNotifiedChange(benchmark::State& state) {
  Volume volume(100, 1, 1000, 50);
  Dependant first;
  Dependant second;
  Host host;
  for (Dependant* dependant : {&first, &second}) {
    QObject::connect(&volume, &Volume::previewChange, dependant, &Dependant::preview);
    QObject::connect(&volume, &Volume::applyChange, dependant, &Dependant::apply);
    QObject::connect(&volume, &Volume::cancelChange, dependant, &Dependant::cancel);
  }
  QObject::connect(&volume, &Volume::askChange, &host, &Host::ask);
  QObject::connect(&volume, &Volume::changeDone, &host, &Host::finish);
  volume.change(11);

  int value = 10;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    value ^= 1;
    const bool changed = volume.change(value);
    benchmark::DoNotOptimize(changed);
  }
  meter.Report(state);
  if (volume.value() != value || first.calls == 0 || host.done == 0) {
    state.SkipWithError("the change did not reach the slots");
  }
}
BENCHMARK(BM_QtNotifiedChange)->ComputeStatistics("min", qenbench::Fastest);

void BM_QtDirectChange(benchmark::State& state) {
  Volume volume(100, 1, 1000, 50);
  Dependant first;
  Dependant second;
  QObject::connect(&volume, &Volume::valueChanged, &first, &Dependant::follow);
  QObject::connect(&volume, &Volume::valueChanged, &second, &Dependant::follow);
  int value = 10;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    value ^= 1;
    const bool written = volume.setProperty("value", value);
    benchmark::DoNotOptimize(written);
  }
  meter.Report(state);
  if (volume.value() != value || first.calls == 0) state.SkipWithError("the value was not stored");
}
BENCHMARK(BM_QtDirectChange)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace
