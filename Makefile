# Two entry points, each doing its own set-up on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts the window program
#   make test   installs what is missing, builds, runs every test
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps-run deps-test clean

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
