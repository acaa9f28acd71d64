// Stage changes of an ADSR envelope.
#pragma once

class AdsrEnvelope;

// Notifications run on the audio thread (trigger, release, process, reset), in the order the
// observers were added. An observer must not block or allocate.
class IAdsrEnvelopeObserver
{
public:
    virtual ~IAdsrEnvelopeObserver() = default;
    // A trigger started the attack.
    virtual void onAttack(AdsrEnvelope* envelope) = 0;
    // The attack reached full level.
    virtual void onDecay(AdsrEnvelope* envelope) = 0;
    // The release started.
    virtual void onRelease(AdsrEnvelope* envelope) = 0;
    // The envelope fell silent and went idle, or was reset.
    virtual void onFinished(AdsrEnvelope* envelope) = 0;
};
