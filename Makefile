# The two commands a new user needs: `make demo` and `make test`.
# Both install the Debian packages that are missing, configure and build.
# The developer targets build with warnings as errors (WERROR=OFF turns that off).

BUILD ?= build
SAN_BUILD ?= build-sanitize
BENCH_BUILD ?= build-bench
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
COV_BUILD ?= build-coverage
RELEASE_BUILD ?= build-release
EMBED_BUILD ?= build-embedding
PREFIX ?= /usr/local
WERROR ?= ON
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config libpugixml-dev libutf8proc-dev nlohmann-json3-dev \
            libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev locales help2man \
            pybind11-dev python3-dev python3-pytest
FUZZ_PACKAGES := clang libclang-rt-dev
COVERAGE_PACKAGES := gcovr
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# $(call install-missing,PACKAGES): installs those of the Debian packages that are missing.
define install-missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

.PHONY: deps configure build build-tool demo install test sanitize check-first-run check-install check-embedding check-release \
        check-exports bench bench-python sanitize-thread fuzz coverage clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIPEDEX_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The library, the CLI and the Python module (no tests).
build-tool: configure
	cmake --build $(BUILD) -j $(JOBS) --target pipedex_runtime

demo: build-tool
	@echo; echo "== pipedex info (the shipped sample catalogue) =="; \
	$(BUILD)/bin/pipedex info
	@echo; echo "== pipedex skey ELBW =="; $(BUILD)/bin/pipedex skey ELBW || true
	@echo; echo "== pipedex elbow 50 --type Elbow-90-V --skey ELBW =="; $(BUILD)/bin/pipedex elbow 50 --type Elbow-90-V --skey ELBW || true
	@echo; echo "== one batch request =="; \
	echo '{"call": "GetSKEYData", "args": ["ELBW"]}' | $(BUILD)/bin/pipedex batch
	@echo; echo "== the same from Python: pipedex.Pipedex().GetSKEYData(\"ELBW\") =="; \
	if ls $(BUILD)/python/pipedex/_pipedex*.so >/dev/null 2>&1; then \
	  PYTHONPATH=$(BUILD)/python /usr/bin/python3 -c 'import pipedex; print(pipedex.Pipedex().GetSKEYData("ELBW"))'; \
	else echo "(the Python module is not built: python3-dev or pybind11-dev is missing)"; fi

# Installs the library, headers, CLI, man page, bash completion, CMake
# package, pkg-config file, sample catalogue and guides under PREFIX
# (DESTDIR, when set, is a staging root).
install: build-tool
	cmake --build $(BUILD) -j $(JOBS) --target pipedex_man
	cmake --install $(BUILD) --prefix $(PREFIX)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Python module is left out of the sanitizer builds: the interpreter that
# would load it is not instrumented.
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPIPEDEX_SANITIZE=ON -DPIPEDEX_WERROR=$(WERROR) -DPIPEDEX_PYTHON=OFF
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Installs into a temporary prefix and builds and runs examples/consumer
# against the installed package (find_package and pkg-config).
check-install: build
	tools/check-install.sh

# A fresh clone of the committed tree in a temporary folder: make demo, make
# install into a temporary prefix, and the installed CLI and Python module
# with a clean environment.
check-first-run:
	tools/check-first-run.sh

# The library exports its public API and nothing of its internals.
check-exports: build-tool
	tools/check-exports.sh $(BUILD)/lib/libpipedex.so

# Builds examples/embedding, a parent project that adds Pipedex with
# add_subdirectory (EMBED_WITH=FetchContent for FetchContent), and runs it.
check-embedding: deps
	JOBS=$(JOBS) tools/check-embedding.sh $(or $(EMBED_WITH),add_subdirectory) $(EMBED_BUILD)

# What a distribution packager does: a Release (-O3) build for prefix /usr,
# warning-free, its test suite, and an install staged with DESTDIR.
check-release: deps
	cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DPIPEDEX_WERROR=$(WERROR)
	cmake --build $(RELEASE_BUILD) -j $(JOBS)
	cd $(RELEASE_BUILD) && ctest --output-on-failure -j $(JOBS)
	tools/check-package.sh $(RELEASE_BUILD)

# Performance benchmarks: an optimised build of the library and the benchmark
# program, then the run, which ends with the summary table of ratios.
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
	  -DPIPEDEX_BENCH=ON -DPIPEDEX_TESTS=OFF -DPIPEDEX_WERROR=$(WERROR)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target pipedex_bench pipedex_cli
	$(BENCH_BUILD)/bin/pipedex-bench --data-dir $(BENCH_BUILD)/bench-data $(BENCH_ARGS)

# The Python module's cost per call over the C++ call, and against the batch
# subprocess client (same optimised build folder as `make bench`).
bench-python: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
	  -DPIPEDEX_BENCH=ON -DPIPEDEX_TESTS=OFF -DPIPEDEX_PYTHON=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target pipedex_python pipedex_python_probe pipedex_cli
	/usr/bin/python3 bench/python_overhead.py --build $(BENCH_BUILD)

# The test suite under ThreadSanitizer (among them the eight-thread test).
sanitize-thread: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1 -g" -DPIPEDEX_WERROR=$(WERROR) \
	  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread -DPIPEDEX_PYTHON=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1" ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS seconds (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer); prints executions and coverage per target.
fuzz: deps
	$(call install-missing,$(FUZZ_PACKAGES))
	cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Line and branch coverage of src/ by the test suite (gcov, reported by gcovr;
# the full report is $(COV_BUILD)/coverage/index.html).
coverage: deps
	$(call install-missing,$(COVERAGE_PACKAGES))
	cmake -S . -B $(COV_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic -O0" -DPIPEDEX_WERROR=$(WERROR) \
	  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage
	cmake --build $(COV_BUILD) -j $(JOBS)
	find $(COV_BUILD) -name '*.gcda' -delete
	cd $(COV_BUILD) && ctest -j $(JOBS) --output-on-failure
	mkdir -p $(COV_BUILD)/coverage
	gcovr --root . --object-directory $(COV_BUILD) --filter 'src/' \
	  --exclude-throw-branches --exclude-unreachable-branches \
	  --txt --html-details $(COV_BUILD)/coverage/index.html --print-summary

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(COV_BUILD) $(RELEASE_BUILD) $(EMBED_BUILD)
