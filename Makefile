# The two commands a new user needs: `make demo` and `make test`.
# Both install the Debian packages that are missing, configure and build.
# Every build configuration is a preset of CMakePresets.json (its folder is
# build-<preset>, the development one plain build/); this file installs the
# packages once and calls the presets. The developer targets build with
# warnings as errors (WERROR=OFF turns that off).

BUILD := build
EMBED_BUILD := build-embedding
PREFIX ?= /usr/local
WERROR ?= ON
FUZZ_SECONDS ?= 60
INJECT_STRIDE ?= 1
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config libpugixml-dev libutf8proc-dev nlohmann-json3-dev \
            libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev locales help2man \
            pybind11-dev python3-dev python3-pytest neovim
FUZZ_PACKAGES := clang libclang-rt-dev libxml2-dev
# The fuzz targets as plain programs over their corpora (sanitizer and coverage builds).
REPLAY_PACKAGES := libclang-rt-dev libxml2-dev
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

.PHONY: deps configure build build-tool demo install test sanitize check-first-run check-install check-pip check-embedding check-release \
        check-exports bench bench-python sanitize-thread inject fuzz coverage clean

# $(call preset,NAME): configures and builds a preset of CMakePresets.json.
define preset
	cmake --preset $(1) -DPIPEDEX_WERROR=$(WERROR)
	cmake --build --preset $(1) -j $(JOBS)
endef

deps:
	$(call install-missing,$(PACKAGES))

configure: deps
	cmake --preset dev -DPIPEDEX_WERROR=$(WERROR)

build: configure
	cmake --build --preset dev -j $(JOBS)

# The library, the CLI and the Python module (no tests).
build-tool: configure
	cmake --build --preset dev -j $(JOBS) --target pipedex_runtime

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
	cmake --build --preset dev -j $(JOBS) --target pipedex_man
	cmake --install $(BUILD) --prefix $(PREFIX)

test: build
	ctest --preset dev -j $(JOBS)

# The Python module is left out of the sanitizer builds: the interpreter that
# would load it is not instrumented.
sanitize: deps
	$(call install-missing,$(REPLAY_PACKAGES))
	$(call preset,sanitize)
	ctest --preset sanitize -j $(JOBS)

# Installs into a temporary prefix and builds and runs examples/consumer
# against the installed package (find_package and pkg-config).
check-install: build
	tools/check-install.sh

# The pip route: pip install --no-build-isolation of this tree into a
# temporary virtual environment, then import pipedex from outside the tree.
check-pip: deps
	$(call install-missing,python3-venv python3-pip)
	JOBS=$(JOBS) tools/check-pip.sh

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
	$(call preset,release)
	ctest --preset release -j $(JOBS)
	tools/check-package.sh build-release

# Performance benchmarks: an optimised build of the library and the benchmark
# program, then the run, which ends with the summary table of ratios.
bench: deps
	$(call preset,bench)
	build-bench/bin/pipedex-bench --data-dir build-bench/bench-data $(BENCH_ARGS)

# The Python module's cost per call over the C++ call, and against the batch
# subprocess client (same optimised build folder as `make bench`).
bench-python: deps
	cmake --preset bench -DPIPEDEX_WERROR=$(WERROR) -DPIPEDEX_PYTHON=ON
	cmake --build --preset bench -j $(JOBS) --target pipedex_python pipedex_python_probe pipedex_cli
	/usr/bin/python3 bench/python_overhead.py --build build-bench

# The test suite under ThreadSanitizer (among them the eight-thread test).
sanitize-thread: deps
	$(call preset,tsan)
	ctest --preset tsan -j $(JOBS)

# Failure injection under AddressSanitizer: every allocation and every file
# system call of the library fails in turn, one per run, on the first call, a
# save, an overlay load and the catalogue check; each run must end with its
# answer or a pipedex::Error, leak nothing and leave the saved file whole.
# INJECT_STRIDE=N tries every Nth failure point only (CI uses 7).
inject: deps
	$(call preset,inject)
	PIPEDEX_INJECT_STRIDE=$(INJECT_STRIDE) ctest --preset inject

# Every fuzz target for FUZZ_SECONDS seconds (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer); prints executions and coverage per target.
fuzz: deps
	$(call install-missing,$(FUZZ_PACKAGES))
	$(call preset,fuzz)
	fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Line and branch coverage of src/ by the test suite, the fuzz corpora and
# every third allocation of the failure-injection sweep (gcov, reported by
# gcovr; the full report is build-coverage/coverage/index.html). Fails when
# branch coverage is below COVERAGE_BRANCH_MIN percent. The branches left out
# of the figure, and why, are listed in tools/coverage-exclusions.txt.
COVERAGE_BRANCH_MIN ?= 95
coverage: deps
	$(call install-missing,$(COVERAGE_PACKAGES) $(REPLAY_PACKAGES))
	$(call preset,coverage)
	find build-coverage -name '*.gcda' -delete
	ctest --preset coverage -j $(JOBS)
	mkdir -p build-coverage/coverage
	gcovr --root . --object-directory build-coverage --filter 'src/' \
	  --gcov-executable $(CURDIR)/tools/gcov-normal-paths.py \
	  --exclude-throw-branches --exclude-unreachable-branches \
	  --exclude-branches-by-pattern "$$(grep -v -e '^#' -e '^[[:space:]]*$$' tools/coverage-exclusions.txt | paste -sd'|')" \
	  --txt --html-details build-coverage/coverage/index.html --print-summary \
	  --fail-under-branch $(COVERAGE_BRANCH_MIN)

clean:
	rm -rf build build-sanitize build-bench build-tsan build-fuzz build-coverage build-release build-inject build-pip $(EMBED_BUILD)
