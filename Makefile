# The two everyday commands. Each installs what is missing, configures, builds, then tests or runs.
PRESET ?= default
JOBS ?= $(shell nproc)

.PHONY: all deps build test run clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	@ctest --preset $(PRESET)

run: build
	@scripts/run.sh build/$(PRESET)/bin

clean:
	rm -rf build
