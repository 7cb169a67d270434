# The Debian packages the build, the tests and the demo need; installs the
# missing ones with apt-get.
PELLAM_PACKAGES="cmake g++ make libgtest-dev libgmock-dev clang python3 unixodbc-dev tdsodbc qt6-base-dev fonts-wqy-microhei xvfb xauth nlohmann-json3-dev unicode-data"

install_packages() {
    missing=""
    for p in $PELLAM_PACKAGES; do
        dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    # shellcheck disable=SC2086
    $sudo apt-get install -y --no-install-recommends $missing
}
