# The two set-up commands: `make run` and `make test`. Each installs what is
# missing, configures once and builds incrementally.

BUILD ?= build
SANITIZE ?=
JOBS ?= $(shell nproc)
BENCH := ON
ifneq ($(SANITIZE),)
BUILD := $(BUILD)-sanitize
# Benchmarks under a sanitizer measure the sanitizer: not built there.
BENCH := OFF
endif
RUN_ARGS ?=

.PHONY: all deps configure build run test unit bench fuzz demo effect-gallery clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DLEDPLAYER_SANITIZE=$(SANITIZE) -DLEDPLAYER_BENCH=$(BENCH)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

effect-gallery: build
	scripts/effect-gallery $(BUILD)/bin/ledplayer var/effects

demo: build
	demo/make-demo-root var/device

run: build demo
	$(BUILD)/bin/ledplayer --root var/device --snapshot-dir var/snapshots --snapshot-every 5 $(RUN_ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b --benchmark_counters_tabular=true || exit 1; done

fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DLEDPLAYER_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build build-fuzz -j $(JOBS)
	@# New inputs go to build-fuzz/corpus/<name>; tests/fuzz/corpus/<name> and
	@# tests/fuzz/<name>.dict, when present, seed the run.
	@for f in build-fuzz/bin/fuzz_*; do n=$${f##*/fuzz_}; echo "== $$f"; \
	  mkdir -p build-fuzz/corpus/$$n; \
	  $$f -max_total_time=60 -artifact_prefix=build-fuzz/ \
	    $$(test -f tests/fuzz/$$n.dict && echo -dict=tests/fuzz/$$n.dict) \
	    build-fuzz/corpus/$$n $$(test -d tests/fuzz/corpus/$$n && echo tests/fuzz/corpus/$$n) \
	    || exit 1; done

clean:
	rm -rf build build-sanitize build-fuzz
