#!/usr/bin/perl
# get_replica_info.pl driven directly, against stub cleartool and multitool
# programs that print ClearCase's documented layouts (stub_clearcase.pl), and
# read for what the oldest Perl that ClearCase ships needs of it.
#
# QUORVANE_SCRIPT: the script under test.

use strict;
use warnings;
use Test::More;
use File::Temp qw(tempdir);
use FindBin;
use Data::Dumper;
use Module::CoreList;
use POSIX qw(WNOHANG);
use Time::HiRes qw(time sleep);

my $SCRIPT = $ENV{QUORVANE_SCRIPT} or BAIL_OUT('QUORVANE_SCRIPT is not set');
my $STUB = "$FindBin::Bin/stub_clearcase.pl";
# The time limit of the cases that hang: long enough for the healthy calls
# of the same run to answer on a busy machine.
my $LIMIT = 3;

# --- a family as ClearCase prints it ---------------------------------------

# family(tag => T, names => [...], local => NAME, rows => { NAME => { ORIGIN
# => N } }, eol => "\n" | "\r\n", header => 1 (lsreplica prints a "For VOB
# replica" line first), estimates => { NAME => ROW }): the scenario of a
# healthy family. The other layouts are the published ones of tests/data/lsepoch.
sub family {
    my (%f) = @_;
    my $eol = $f{eol} || "\n";
    my $tag = $f{tag};
    my @names = @{ $f{names} };
    my $block = sub {
        my ($name, $row) = @_;
        my $text = "Oplog IDs for row \"$name\" (\@ host_$name):$eol";
        for my $o (@names) {
            my $n = defined $row->{$o} ? $row->{$o} : 3;
            $text .= sprintf(" oid:%08x.1d2e3f4a.b5c6.00:01:80:c0:4b:%02x=%-8s(%s)%s", length($o) * 977, length($o), $n, $o, $eol);
        }
        return $text;
    };
    my $header = "For VOB replica \"$tag\":$eol";
    my %s;
    $s{"cleartool lsreplica -short -invob $tag"} =
        { out => ($f{header} ? $header : '') . join('', map { "$_$eol" } @names) };
    $s{"cleartool describe -fmt %[replica_name]p vob:$tag"} = { out => $f{local} };
    # This site's table: its own row first, then its estimates of the others.
    my $est = $f{estimates} || {};
    my @table = ($f{local}, grep { $_ ne $f{local} } @names);
    $s{"multitool lsepoch -invob $tag"} =
        { out => $header . join('', map { $block->($_, $_ eq $f{local} ? $f{rows}{$_} : ($est->{$_} || $f{rows}{$_})) } @table) };
    for my $name (@names) {
        $s{"multitool lsepoch -actual $name\@$tag"} = { out => $header . $block->($name, $f{rows}{$name}) };
        my $estimate = $name eq $f{local} ? $f{rows}{$name} : ($est->{$name} || $f{rows}{$name});
        $s{"multitool lsepoch $name\@$tag"} = { out => $header . $block->($name, $estimate) };
    }
    return \%s;
}

# Rows in which replica i has done 10*i operations and has seen all others.
sub rows_for {
    my (@names) = @_;
    my %rows;
    for my $r (@names) {
        my $i = 0;
        $rows{$r}{$_} = 10 * ++$i for @names;
    }
    return \%rows;
}

# The file the script must write: names in order, "?" rows for @unknown.
sub matrix {
    my ($names, $rows, @unknown) = @_;
    my %unknown = map { $_ => 1 } @unknown;
    return join('', map {
        my $r = $_;
        join(',', $r, map { $unknown{$r} ? '?' : $rows->{$r}{$_} } @$names) . "\r\n"
    } @$names);
}

# --- running the script ----------------------------------------------------

sub slurp {
    open(my $fh, '<', $_[0]) or return undef;
    binmode $fh;
    local $/;
    return scalar <$fh>;
}

# Runs the script with the scenario; returns what it did. The run itself
# is bounded: a script that does not end is killed and reported.
sub run_script {
    my ($scenario, $env, @args) = @_;
    my $dir = tempdir(CLEANUP => 1);
    my ($bin, $work) = ("$dir/bin", "$dir/work");
    mkdir $_ or die "mkdir $_: $!" for $bin, $work;
    for my $tool (qw(cleartool multitool)) {
        symlink($STUB, "$bin/$tool") or die "symlink: $!";
    }
    open(my $fh, '>', "$dir/scenario.pl") or die $!;
    print $fh Data::Dumper->new([$scenario])->Terse(1)->Useqq(1)->Dump;
    close $fh;
    open($fh, '>', "$dir/log") or die $!;
    close $fh;
    for my $f (keys %{ $env->{files} || {} }) {
        open($fh, '>', "$work/$f") or die $!;
        print $fh $env->{files}{$f};
        close $fh;
    }

    my $started = time();
    my $pid = fork();
    die "fork: $!" unless defined $pid;
    if ($pid == 0) {
        chdir $work or die;
        $ENV{PATH} = "$bin:$ENV{PATH}";
        $ENV{STUB_SCENARIO} = "$dir/scenario.pl";
        $ENV{STUB_LOG} = "$dir/log";
        delete @ENV{qw(GET_REPLICA_INFO_TIMEOUT GET_REPLICA_INFO_JOBS)};
        $ENV{$_} = $env->{vars}{$_} for keys %{ $env->{vars} || {} };
        open(STDOUT, '>', "$dir/stdout") or die;
        open(STDERR, '>', "$dir/stderr") or die;
        exec($^X, $SCRIPT, @args) or die;
    }
    my ($status, @progress);
    while (1) {
        # What the progress file said, each time it changed, as a window
        # reading it meanwhile would have seen it.
        my $now = slurp("$work/_progress.txt");
        push @progress, { time => time(), text => $now } if defined $now && (!@progress || $progress[-1]{text} ne $now);
        my $r = waitpid($pid, WNOHANG);
        if ($r == $pid) { $status = $? >> 8; last; }
        if (time() - $started > 60) {
            kill 9, $pid;
            waitpid($pid, 0);
            $status = 'killed: the script did not end';
            last;
        }
        sleep 0.02;
    }
    my $elapsed = time() - $started;
    sleep 0.1; # lets a stub that is ending by itself write its last line
    my @log;
    for my $line (split /\n/, slurp("$dir/log")) {
        my ($what, $t, $p, $call) = split / /, $line, 4;
        push @log, { what => $what, time => $t, pid => $p, call => [split /\t/, $call] };
    }
    opendir(my $dh, $work) or die;
    my %files = map { $_ => slurp("$work/$_") } grep { !/^\.\.?$/ } readdir $dh;
    return {
        status => $status, elapsed => $elapsed, stdout => slurp("$dir/stdout"), stderr => slurp("$dir/stderr"),
        files => \%files, log => \@log, started => $started, progress => \@progress,
        calls => [map { join(' ', @{ $_->{call} }) } grep { $_->{what} eq 'start' } @log],
    };
}

# The run ended well and left the two matrices as given, and no other file.
sub wrote_matrices {
    my ($run, $what, $actual, $local) = @_;
    is($run->{status}, 0, "$what: exit status 0");
    is($run->{files}{'_results.txt'}, $actual, "$what: actual matrix");
    is($run->{files}{'_results_local.txt'}, $local, "$what: local matrix");
    is_deeply([sort keys %{ $run->{files} }], ['_results.txt', '_results_local.txt'], "$what: no other file left");
}

sub calls_matching {
    my ($run, $re) = @_;
    return grep { /$re/ } @{ $run->{calls} };
}

# --- the healthy family, in each documented layout ---------------------------

my @NAMES = qw(boston_hub sanfran_hub bangalore);
my $ROWS = rows_for(@NAMES);
# -local: this site's table, no host asked; the actual matrix holds only
# this site's own row. -here and -replicas: the caller's listing is used as
# given (its order, this site's row from its table), and nothing is listed
# again.
for my $layout (
    # what, family options, arguments before the tag, hosts asked, the order written, cleartool calls
    ['CR LF, lsreplica with a For VOB replica header', { header => 1, eol => "\r\n" }, [], [qw(bangalore boston_hub)], \@NAMES, 2],
    ['-local', {}, ['-local'], [], \@NAMES, 2],
    ['-here', {}, ['-here', 'sanfran_hub', '-replicas', join(',', reverse @NAMES)], [qw(bangalore boston_hub)],
     [reverse @NAMES], 0],
) {
    my ($what, $opts, $args, $asked, $order, $listed) = @$layout;
    # This site's estimates of the others lag behind their actual rows.
    my %est = map { my $r = $_; ($r => { map { $_ => $ROWS->{$r}{$_} - 1 } @NAMES }) } @NAMES[1, 2];
    my $scenario = family(tag => '/vobs/dev', names => \@NAMES, local => 'sanfran_hub', rows => $ROWS,
                          estimates => \%est, %$opts);
    my $run = run_script($scenario, {}, @$args, '/vobs/dev');
    my %local = (%$ROWS, %est, sanfran_hub => $ROWS->{sanfran_hub});
    my @unknown = grep { my $n = $_; $n ne 'sanfran_hub' && !grep { $_ eq $n } @$asked } @NAMES;
    wrote_matrices($run, $what, matrix($order, $ROWS, @unknown), matrix($order, \%local));
    is($run->{stderr}, '', "$what: nothing on stderr");
    is_deeply([sort(calls_matching($run, qr/-actual/))], [map { "multitool lsepoch -actual $_\@/vobs/dev" } @$asked],
              "$what: every host asked once, not this site's");
    is(scalar(calls_matching($run, qr/^cleartool/)), $listed, "$what: $listed calls of lsreplica and describe");
}

# --- every published layout, from the fixture folder -------------------------

# tests/data/lsepoch/forms.txt: what each file is, which call it answers,
# the rows it must give and where it was published.
{
    my $dir = "$FindBin::Bin/../data/lsepoch";
    my %same; # expected rows => [file, _results.txt] of the quiet layouts
    for my $form (split /\n/, slurp("$dir/forms.txt") // BAIL_OUT("cannot read $dir/forms.txt")) {
        next if $form =~ /^\s*(#|$)/;
        my ($file, $call, $expected, $stderr) = split / \| /, $form;
        my $answer = slurp("$dir/$file");
        ok(defined $answer, "$file: fixture present") or next;
        my $scenario = family(tag => '/vobs/dev', names => \@NAMES, local => 'boston_hub', rows => $ROWS);
        my $key = $call eq 'actual' ? 'multitool lsepoch -actual sanfran_hub@/vobs/dev' : 'multitool lsepoch -invob /vobs/dev';
        $scenario->{$key} = { out => $answer };
        my $run = run_script($scenario, {}, '/vobs/dev');
        is($run->{status}, 0, "$file: exit status 0");
        my $results = $run->{files}{$call eq 'actual' ? '_results.txt' : '_results_local.txt'};
        my %written = map { my @v = split /,/; ($v[0] => { map { ($NAMES[$_] => $v[$_ + 1]) } 0 .. $#NAMES }) }
            split /\r\n/, defined $results ? $results : '';
        for my $row (split / \/ /, $expected) {
            my ($name, $pairs) = split /: /, $row;
            is_deeply($written{$name}, { map { split /=/ } split / /, $pairs }, "$file: row $name");
        }
        if ($stderr eq '-') {
            is($run->{stderr}, '', "$file: nothing on stderr");
            push @{ $same{$call, $expected} }, [$file, $run->{files}{'_results.txt'}, $run->{files}{'_results_local.txt'}];
        } else {
            like($run->{stderr}, qr/$stderr/, "$file: refused with a message");
        }
    }
    # Layouts of the same rows leave the same files, so the window shows
    # the same numbers and the same diagnosis whichever ClearCase printed them.
    for my $group (values %same) {
        my ($first, @others) = @$group;
        for my $other (@others) {
            ok($other->[1] eq $first->[1] && $other->[2] eq $first->[2], "$other->[0]: the same results files as $first->[0]");
        }
    }
}

# --- one call's trouble ----------------------------------------------------

# A host's trouble costs its row only; this site's own calls failing cost
# what needs them; earlier results are replaced whole or left alone.
my $OPLOG_WARNING = "multitool: Warning: Your replica (\"sanfran_hub\") has fewer oplog entries for itself than replica \"bangalore\".\n"
    . "multitool: Warning: Start the replica restoration procedure before any further development.\n";
my $UNREACHABLE = "multitool: Error: Unable to contact replica \"bangalore\" on host \"host_bangalore\".\n";
my ($BANGALORE, $LSREPLICA) = ('multitool lsepoch -actual bangalore@/vobs/dev', 'cleartool lsreplica -short -invob /vobs/dev');
my $OLD = { '_results.txt' => "old\r\n" };
for my $case (
    # what, the call, its answer (or a change to it), settings, files there before, rows written as "?" (actual
    # matrix; undef: the run fails and writes nothing), the same of the local matrix, hosts asked, stderr must hold
    ['warning and status 1 after its row', $BANGALORE, sub { $_[0]{err} = $OPLOG_WARNING; $_[0]{status} = 1 }, {}, {},
     [], [], 2, qr/\Q$OPLOG_WARNING\E/],
    ['unreachable host', $BANGALORE, { err => $UNREACHABLE, status => 1 }, {}, {}, ['bangalore'], [], 2,
     qr/\Q$UNREACHABLE\E/, qr/"bangalore".*status 1.*"\?"/],
    # Only the cases that hang wait for a short limit; the others keep the
    # default, so that a slow machine cannot turn a healthy host into "?".
    ['host that never answers', $BANGALORE, sub { $_[0]{delay} = 300 }, { GET_REPLICA_INFO_TIMEOUT => $LIMIT }, {},
     ['bangalore'], [], 2, qr/"bangalore" had not answered when the time limit of $LIMIT s ran out/],
    ['host that prints its row and then hangs', $BANGALORE, sub { $_[0]{hang} = 300 },
     { GET_REPLICA_INFO_TIMEOUT => $LIMIT }, {}, [], [], 2],
    ['describe fails: every host asked, this one too', 'cleartool describe -fmt %[replica_name]p vob:/vobs/dev',
     { err => "cleartool: Error: Unable to describe.\n", status => 1 }, {}, {}, [], [], 3,
     qr/Unable to describe.*\n.*cannot tell this site's replica/],
    ['local table fails', 'multitool lsepoch -invob /vobs/dev', { err => "multitool: Error: Unable to open VOB.\n", status => 1 },
     {}, {}, ['sanfran_hub'], [@NAMES], 2, qr/Unable to open VOB/],
    ['lsreplica fails', $LSREPLICA,
     { err => "cleartool: Error: Unable to locate versioned object base with object selector: \"/vobs/dev\".\n", status => 1 },
     {}, $OLD, undef, undef, 0, qr/Unable to locate.*\n(?:.*\n)*.*cannot list the replicas of VOB "\/vobs\/dev"/],
    ['lsreplica hangs', $LSREPLICA, { delay => 300 }, { GET_REPLICA_INFO_TIMEOUT => $LIMIT }, $OLD, undef, undef, 0,
     qr/had not answered when the time limit of $LIMIT s ran out.*\n.*cannot list the replicas/],
    ['lsreplica lists nothing', $LSREPLICA, { out => "For VOB replica \"/vobs/dev\":\n" }, {}, $OLD, undef, undef, 0,
     qr/VOB "\/vobs\/dev" lists no replicas/],
    ['bad settings, earlier results replaced', undef, undef,
     { GET_REPLICA_INFO_JOBS => '0', GET_REPLICA_INFO_TIMEOUT => 'soon' },
     { '_results.txt' => "old,1\r\n", '_results_local.txt' => "old,1\r\n" }, [], [], 2,
     qr/GET_REPLICA_INFO_JOBS="0" is not a positive number; 32 is used/,
     qr/GET_REPLICA_INFO_TIMEOUT="soon" is not a positive number; 120 is used/],
) {
    my ($what, $call, $answer, $vars, $files, $unknown, $unknown_local, $asked, @stderr) = @$case;
    my $scenario = family(tag => '/vobs/dev', names => \@NAMES, local => 'sanfran_hub', rows => $ROWS);
    ref $answer eq 'CODE' ? $answer->($scenario->{$call}) : ($scenario->{$call} = $answer) if defined $call;
    my $run = run_script($scenario, { vars => $vars, files => $files }, '/vobs/dev');
    if ($unknown) {
        # A host ended at the time limit leaves no progress file behind either.
        wrote_matrices($run, $what, matrix(\@NAMES, $ROWS, @$unknown), matrix(\@NAMES, $ROWS, @$unknown_local));
    } else {
        is($run->{status}, 1, "$what: exit status 1");
        is_deeply($run->{files}, $files, "$what: no file written");
    }
    is(scalar(calls_matching($run, qr/-actual/)), $asked, "$what: $asked hosts asked");
    like($run->{stderr}, $_, "$what: stderr says $_") for @stderr;
    is($run->{stderr}, '', "$what: nothing on stderr") unless @stderr;
}

# --- the pool, and what the run says while it waits -------------------------

my @MANY = map { "site$_" } 1 .. 6;
my $MANY_ROWS = rows_for(@MANY);

# No barrier: while the first host still works, the others go on through
# the free slot (the matrices show each of them answered). The progress
# file names the slow host, with when it was asked and the time limit, while
# the quick ones drop out of it; it is gone at the end.
{
    my $scenario = family(tag => '/vobs/big', names => \@MANY, local => 'site1', rows => $MANY_ROWS);
    # Long enough that four short hosts pass through the one free slot on a
    # busy machine, where each stub's start alone can take a good second.
    $scenario->{'multitool lsepoch -actual site2@/vobs/big'}{delay} = 8;
    my $run = run_script($scenario, { vars => { GET_REPLICA_INFO_JOBS => 2, GET_REPLICA_INFO_TIMEOUT => 90 } }, '/vobs/big');
    wrote_matrices($run, 'pool', matrix(\@MANY, $MANY_ROWS), matrix(\@MANY, $MANY_ROWS));
    my @actual = grep { $_->{call}[2] eq '-actual' } @{ $run->{log} };
    my ($slow_end) = map { $_->{time} } grep { $_->{what} eq 'end' && $_->{call}[3] =~ /^site2@/ } @actual;
    my @others = grep { $_->{what} eq 'start' && $_->{call}[3] !~ /^site2@/ } @actual;
    ok(defined $slow_end && !grep({ $_->{time} > $slow_end } @others), 'pool: they were asked while the slow host worked');
    my @seen = @{ $run->{progress} };
    ok(scalar(@seen), 'slow host: a progress file was there while it ran') or next;
    my ($asked) = grep { $_->{what} eq 'start' && $_->{call}[3] eq 'site2@/vobs/big' } @actual;
    like($_->{text}, qr/\Alimit\t90\n(?:waiting\t[^\t\n]+\t\d+(?:\.\d+)?\n)*\z/, 'slow host: every version whole') for @seen;
    my $last = $seen[-1]{text};
    like($last, qr/^waiting\tsite2\t/m, 'slow host: named while waited for');
    unlike($last, qr/site3/, 'slow host: a host that answered is no longer named');
    my ($when) = $last =~ /^waiting\tsite2\t(\S+)$/m;
    ok(defined $when && $when >= $run->{started} - 1 && abs($when - $asked->{time}) < 2,
       'slow host: the time it was asked, on the clock a reader has');
}

# More hung hosts than slots: never more hosts asked at once than the slots,
# the time limit holds for the whole run, the hosts that never got a slot
# are said to be not asked, and the hung ones are ended, not left running.
{
    my $scenario = family(tag => '/vobs/big', names => \@MANY, local => 'site1', rows => $MANY_ROWS);
    $scenario->{$_}{delay} = 300 for grep { /-actual/ } keys %$scenario;
    my $run = run_script($scenario, { vars => { GET_REPLICA_INFO_JOBS => 2, GET_REPLICA_INFO_TIMEOUT => $LIMIT } }, '/vobs/big');
    wrote_matrices($run, 'all hung', matrix(\@MANY, $MANY_ROWS, @MANY[1 .. 5]), matrix(\@MANY, $MANY_ROWS));
    is(scalar(calls_matching($run, qr/-actual/)), 2, 'all hung: only the first two hosts were asked');
    my @not_asked = $run->{stderr} =~ /"(site\d)" was not asked/g;
    is(scalar(@not_asked), 3, 'all hung: the other three are said to be not asked');
    cmp_ok($run->{elapsed}, '>=', $LIMIT, 'all hung: the script waited for the time limit');
    my @alive = grep { kill 0, $_->{pid} } grep { $_->{what} eq 'start' } @{ $run->{log} };
    is(scalar(@alive), 0, 'all hung: every program the script started has ended');
}

# --- arguments reach the programs untouched ----------------------------------

{
    my @odd = ('a.b+c*(d)', 'x(y)z', 'plain');
    my $rows = rows_for(@odd);
    my $scenario = family(tag => '\\proj', names => \@odd, local => 'x(y)z', rows => $rows, eol => "\r\n");
    my $run = run_script($scenario, {}, '\\proj');
    wrote_matrices($run, 'backslash tag, odd names', matrix(\@odd, $rows), matrix(\@odd, $rows));
    my @argv = map { $_->{call} } grep { $_->{what} eq 'start' && $_->{call}[2] eq '-actual' } @{ $run->{log} };
    is_deeply([sort { $a->[3] cmp $b->[3] } @argv],
              [['multitool', 'lsepoch', '-actual', 'a.b+c*(d)@\\proj'], ['multitool', 'lsepoch', '-actual', 'plain@\\proj']],
              'backslash tag, odd names: the argument vectors as they are');
}

# --- calls that ask no host ------------------------------------------------

# A replica named without -report: nothing to do. -report: that replica's
# row compared with its actual one (its host asked, unless it is this site),
# no file written; without a replica, the usage. A -here the list lacks is
# refused before anything runs.
{
    my %est = (bangalore => { map { $_ => $ROWS->{bangalore}{$_} + ($_ eq 'bangalore' ? 5 : 0) } @NAMES });
    my $scenario = family(tag => '/vobs/dev', names => \@NAMES, local => 'sanfran_hub', rows => $ROWS, estimates => \%est);
    for my $case (
        # what, arguments, exit status, hosts asked (undef: no program started), stdout and stderr must match
        ['replica chosen', ['/vobs/dev', 'bangalore'], 0, undef, qr/\A\z/, qr/\A\z/],
        ['report on bangalore', ['-report', '/vobs/dev', 'bangalore'], 0, 1,
         qr/\AReplica "bangalore" of VOB "\/vobs\/dev".*^bangalore\s+35\s+30  estimate ahead\r?\n.*chepoch -actual bangalore\@\/vobs\/dev/ms],
        ['report on this site', ['-report', '/vobs/dev', 'sanfran_hub'], 0, 0,
         qr/\AReplica "sanfran_hub" of VOB "\/vobs\/dev".*matches the actual row/ms],
        ['report without a replica', ['-report', '/vobs/dev'], 1, undef, qr/\A\z/, qr/usage:/],
        ['-here not listed', ['-here', 'elsewhere', '-replicas', join(',', @NAMES), '-local', '/vobs/dev'], 1, undef,
         qr/\A\z/, qr/"elsewhere" is not among the replicas given/],
    ) {
        my ($what, $args, $status, $asked, $stdout, $stderr) = @$case;
        my $run = run_script($scenario, {}, @$args);
        is($run->{status}, $status, "$what: exit status $status");
        defined $asked ? is(scalar(calls_matching($run, qr/-actual/)), $asked, "$what: $asked hosts asked")
                       : is_deeply($run->{calls}, [], "$what: no program started");
        like($run->{stdout}, $stdout, "$what: what it printed");
        like($run->{stderr}, $stderr, "$what: what it said") if $stderr;
        is_deeply($run->{files}, {}, "$what: no file written");
    }
}

# --- what the oldest Perl that ClearCase ships needs ------------------------

# Perl 5.8 syntax, modules that Perl 5.8 already had, and no list form of
# pipe open (Windows Perl before 5.22 refuses it at run time, which no
# syntax check sees).
{
    my $source = slurp($SCRIPT);
    my $report = `perlver "$SCRIPT" 2>&1`;
    # Not measured counts as too new.
    my ($version) = $report =~ /Minimum version of perl\s*:\s*v?([\d.]+)/;
    my @part = (split(/\./, $version // '9'), 0, 0);
    cmp_ok($part[0] + $part[1] / 1000 + $part[2] / 1000000, '<=', 5.008, "perlver's minimum is Perl 5.8 or older")
        or diag($report);
    my @modules = $source =~ /^\s*(?:use|require)\s+([A-Z][\w:]*|strict|warnings)\b/mg;
    push @modules, $source =~ /\brequire\s+([A-Z][\w:]*)/g;
    ok(scalar(@modules), 'the script names its modules');
    for my $module (sort keys %{ { map { $_ => 1 } @modules } }) {
        ok(exists $Module::CoreList::version{5.008}{$module}, "$module is a core module of Perl 5.8");
    }
    unlike($source, qr/\bopen\s*\(?[^;]*?['"](?:-\||\|-)['"]/, 'no pipe open in the list form');
}

done_testing();
