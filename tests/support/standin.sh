# Starting the stand-in from a test script:  . standin.sh
#   start_standin STANDIN FIXTURE LOG   sets STANDIN_PID and STANDIN_HOST ("127.0.0.1,PORT")
start_standin() {
    python3 "$1" --fixture "$2" > "$3" 2>&1 &
    STANDIN_PID=$!
    for _ in $(seq 1 50); do
        grep -q listening "$3" && break
        sleep 0.2
    done
    STANDIN_HOST="127.0.0.1,$(sed -n 's/listening on 127.0.0.1:\([0-9]*\)/\1/p' "$3")"
}
