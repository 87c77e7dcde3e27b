# The two set-up commands of README.md: `make run` and `make test`.
BUILD      ?= build
TESTBUILD  ?= build-test
BENCHBUILD ?= build-bench
JOBS       ?= $(shell nproc)

.PHONY: deps build run test bench fuzz clean install

deps:
	@sh scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSENDRA_BUILD_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Starts the viewer with the built-in virtual camera offered beside any real one.
run: build
	SENDRA_CAM_VIRTUAL_CAMERA=1 $(BUILD)/sendra-cam

# Builds from scratch in its own folder and runs every test headless.
test: deps
	rm -rf $(TESTBUILD)
	cmake -S . -B $(TESTBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSENDRA_BUILD_TESTS=ON
	cmake --build $(TESTBUILD) -j $(JOBS)
	cd $(TESTBUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCHBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSENDRA_BUILD_TESTS=OFF -DSENDRA_BUILD_BENCHMARKS=ON
	cmake --build $(BENCHBUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen sh scripts/run-benchmarks $(BENCHBUILD)

fuzz: deps
	sh scripts/run-fuzzers

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(TESTBUILD) $(BENCHBUILD) build-fuzz
