# Two entry points, each doing its own set-up on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts the window program
#   make test   installs what is missing, builds, runs every test
#   make sanitize  every test again, built with ASan, UBSan and LeakSanitizer
#   make fuzz-ci   each fuzz target for FUZZ_TIME seconds on the seed corpus
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps-run deps-test clean sanitize fuzz-ci

deps-run:
	./scripts/install-deps.sh run

deps-test:
	./scripts/install-deps.sh test

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: deps-run
	$(MAKE) build
	./scripts/run-app.sh $(BUILD)

test: deps-test
	$(MAKE) build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)

# A separate build of everything with -DPBX_SANITIZE=ON (ASan, UBSan and
# LeakSanitizer); any sanitizer report fails its test. Reports from inside
# Debian's own libraries are suppressed in tests/asan-system-libs.supp.
SANITIZE_BUILD ?= build-asan
sanitize: deps-test
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_COMPILER=clang++ -DPBX_SANITIZE=ON -DPBX_BUILD_GUI=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:suppressions=$(CURDIR)/tests/asan-system-libs.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The fuzz targets, each run for FUZZ_TIME seconds on a copy of its
# committed corpus (new inputs go to the copy). A crash, leak or hang fails;
# the input that caused it is left in $(FUZZ_BUILD)/run/<target>/artifacts.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 60
FUZZ_TARGETS = extraction paths
fuzz-ci: deps-test
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DPBX_FUZZ=ON -DPBX_BUILD_GUI=OFF -DPBX_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) $(addprefix --target fuzz_,$(FUZZ_TARGETS))
	for t in $(FUZZ_TARGETS); do \
	  run=$(FUZZ_BUILD)/run/$$t; \
	  rm -rf $$run && mkdir -p $$run/corpus $$run/artifacts && \
	  cp fuzz/corpus/$$t/* $$run/corpus/ && \
	  $(FUZZ_BUILD)/fuzz/fuzz_$$t $$run/corpus -dict=fuzz/pbx.dict \
	    -max_total_time=$(FUZZ_TIME) -timeout=30 -print_final_stats=1 \
	    -artifact_prefix=$$run/artifacts/ || exit 1; \
	done
