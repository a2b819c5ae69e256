# The two commands a new user needs: `make demo` and `make test`.
# Both install the Debian packages that are missing, configure and build.

BUILD ?= build
SAN_BUILD ?= build-sanitize
BENCH_BUILD ?= build-bench
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config libpugixml-dev libutf8proc-dev nlohmann-json3-dev \
            libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build demo test sanitize check-install bench clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@echo; echo "== pipedex info (the shipped sample catalogue) =="; \
	$(BUILD)/bin/pipedex info
	@echo; echo "== pipedex skey ELBW =="; $(BUILD)/bin/pipedex skey ELBW || true
	@echo; echo "== pipedex elbow 50 --skey ELBW =="; $(BUILD)/bin/pipedex elbow 50 --skey ELBW || true
	@echo; echo "== one batch request =="; \
	echo '{"call": "GetSKEYData", "args": ["ELBW"]}' | $(BUILD)/bin/pipedex batch

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPIPEDEX_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Installs into a temporary prefix and builds and runs examples/consumer
# against the installed package (find_package and pkg-config).
check-install: build
	tools/check-install.sh

# Performance benchmarks: an optimised build of the library and the benchmark
# program, then the run, which ends with the summary table of ratios.
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
	  -DPIPEDEX_BENCH=ON -DPIPEDEX_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target pipedex_bench
	$(BENCH_BUILD)/bin/pipedex-bench --data-dir $(BENCH_BUILD)/bench-data $(BENCH_ARGS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD)
