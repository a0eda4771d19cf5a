# README's two commands: `make run` and `make test`. Both install what they need first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PKG_BUILD  ?= build-package
FUZZ_SECONDS ?= 30
GENERATOR  := -G Ninja
JOBS       ?= $(shell nproc)

.PHONY: all bootstrap build build-werror run test test-unit test-quick test-asan test-fuzz fuzz-build fuzz bench clean package check-format

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The tests build with warnings as errors.
build-werror: bootstrap
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DBRACEFORM_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/braceform $(ARGS)

# A Debian package of the window and the CLI, installed under /usr: build-package/braceform_*.deb
package: bootstrap
	cmake -S . -B $(PKG_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DBRACEFORM_TESTS=OFF
	cmake --build $(PKG_BUILD) -j $(JOBS)
	cd $(PKG_BUILD) && cpack -G DEB

# Sanitizer build of the Qt-free layers and their tests.
test-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DBRACEFORM_SANITIZE=ON -DBRACEFORM_GUI=OFF -DBRACEFORM_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

fuzz-build: bootstrap
	cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DBRACEFORM_FUZZ=ON -DBRACEFORM_GUI=OFF -DBRACEFORM_TESTS=OFF -DBRACEFORM_WERROR=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Short smoke run of every fuzz target.
test-fuzz: fuzz-build
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Long runs on demand: make fuzz FUZZ_SECONDS=3600
fuzz: FUZZ_SECONDS = 600
fuzz: fuzz-build
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

test-unit: build-werror
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# A quick local run: the full suite without the tests labelled slow.
test-quick: build-werror
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE slow

# Every C++ file follows .clang-format.
check-format: bootstrap
	scripts/check-format

# The main suite runs last so that its summary closes the output.
test: check-format test-fuzz test-asan test-unit

bench: bootstrap
	scripts/bootstrap bench
	bench/compare

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PKG_BUILD)
