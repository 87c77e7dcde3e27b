# The two set-up commands of README.md: `make run` and `make test`.
BUILD      ?= build
TESTBUILD  ?= build-test
BENCHBUILD ?= build-bench
ASANBUILD  ?= build-asan
TSANBUILD  ?= build-tsan
COVBUILD   ?= build-coverage
JOBS       ?= $(shell nproc)

.PHONY: deps build run test bench fuzz sanitize coverage clean install package

deps:
	@sh scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSENDRA_BUILD_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Starts the viewer with the built-in virtual camera offered beside any real one.
run: build
	SENDRA_CAM_VIRTUAL_CAMERA=1 $(BUILD)/sendra-cam

# Builds from scratch in its own folder, any compiler warning failing the build, and runs every
# test headless.
test: deps
	rm -rf $(TESTBUILD)
	cmake -S . -B $(TESTBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSENDRA_BUILD_TESTS=ON -DSENDRA_WARNINGS_AS_ERRORS=ON
	cmake --build $(TESTBUILD) -j $(JOBS)
	cd $(TESTBUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench:
	@sh scripts/install-deps bench
	cmake -S . -B $(BENCHBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSENDRA_BUILD_TESTS=OFF -DSENDRA_BUILD_BENCHMARKS=ON
	cmake --build $(BENCHBUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen sh scripts/run-benchmarks $(BENCHBUILD)

fuzz: deps
	sh scripts/run-fuzzers

# AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite, then ThreadSanitizer over
# the two executables that stream frames between threads. -O1 keeps the stacks readable and the
# build short. The suppression files list only uninstrumented system libraries, each with its reason.
SAN_CMAKE = cmake -G Ninja -DCMAKE_BUILD_TYPE= -DSENDRA_BUILD_TESTS=ON
ASAN_FLAGS = -O1 -g -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
TSAN_FLAGS = -O1 -g -fsanitize=thread -fno-omit-frame-pointer

sanitize: deps
	$(SAN_CMAKE) -S . -B $(ASANBUILD) -DCMAKE_C_FLAGS="$(ASAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(ASAN_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(ASANBUILD) -j $(JOBS)
	# Whole malloc stacks (no fast unwind): GLib has no frame pointers, and a leak is suppressed only
	# when its stack shows it comes from system code.
	cd $(ASANBUILD) && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:strict_string_checks=1:detect_stack_use_after_return=1 \
	    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    ctest --output-on-failure -j $(JOBS)
	$(SAN_CMAKE) -S . -B $(TSANBUILD) -DCMAKE_C_FLAGS="$(TSAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread"
	cmake --build $(TSANBUILD) -j $(JOBS) --target camera_tests playback_tests recording_controller_tests
	# die_after_fork=0: the clip checks fork helpers (ffprobe, the GStreamer discoverer's) from a
	# threaded process, and TSan would otherwise end the forked child before it runs its program.
	cd $(TSANBUILD) && for t in camera playback; do \
	    QT_QPA_PLATFORM=offscreen \
	    TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/$$t/tsan.supp" \
	    ./$${t}_tests --gtest_brief=1 || exit 1; done
	# The recording controller records and plays back in one process: both suppression lists, as
	# TSan reads one file.
	cat tests/camera/tsan.supp tests/playback/tsan.supp > $(TSANBUILD)/camera-and-playback.supp
	cd $(TSANBUILD) && QT_QPA_PLATFORM=offscreen \
	    TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:suppressions=$(CURDIR)/$(TSANBUILD)/camera-and-playback.supp" \
	    ./recording_controller_tests --gtest_brief=1

# Line coverage of the device layer (src/platform/udev, src/platform/v4l2) by the whole test
# suite: those two libraries are built unoptimised with gcov (SENDRA_COVERAGE), the rest as usual;
# fails below 80 %. COVERAGE_TESTS narrows the ctest run, for example COVERAGE_TESTS="-L device".
COVERAGE_TESTS ?=
coverage: deps
	cmake -S . -B $(COVBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSENDRA_BUILD_TESTS=ON -DSENDRA_COVERAGE=ON
	cmake --build $(COVBUILD) -j $(JOBS)
	find $(COVBUILD) -name '*.gcda' -delete
	cd $(COVBUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(COVERAGE_TESTS)
	gcovr --root . --object-directory $(COVBUILD) --filter 'src/platform/udev/' --filter 'src/platform/v4l2/' \
	    --print-summary --fail-under-line 80 $(COVBUILD)

install: build
	cmake --install $(BUILD)

# The Debian package of the program (CPack): $(BUILD)/sendra-cam_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(TESTBUILD) $(BENCHBUILD) $(ASANBUILD) $(TSANBUILD) $(COVBUILD) build-fuzz
